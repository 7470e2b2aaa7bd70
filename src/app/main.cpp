#include <cstdlib>

#include "app/start_up.h"

int main(int argc, char** argv)
{
    if (startUp(argc, argv).mainWindow == nullptr) {
        std::exit(1);   // nowhere to show the pool
    }
    runMainLoop();      // until the window is closed
    return 0;
}
