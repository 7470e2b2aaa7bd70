#include <cstdlib>

#include "app/start_up.h"
#include "platform/process.h"

int main(int argc, char** argv)
{
    reachCallersConsole();  // where a refused file is told
    if (startUp(argc, argv).mainWindow == nullptr) {
        std::exit(1);   // nowhere to show the pool
    }
    runMainLoop();      // until the window is closed
    return 0;
}
