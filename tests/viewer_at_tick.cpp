// The program's own start-up, with one change after it: the ticks stop at
// tick 300. Once the viewer has drawn that tick, the render area's X window
// and its size go to standard output as "WINDOW WIDTH HEIGHT", and the
// program waits to be ended. The render tests compare that window with
// pelmora-render's picture of the same tick.

#include <cstdio>

#include "support/stopped_at_tick.h"

namespace {

ExaminerViewer* viewer = nullptr;

void reportWindow(void*, SoSensor*)
{
    viewer->render();
    const SbVec2s size = viewer->getViewportRegion().getWindowSize();
    std::printf("%lu %d %d\n", renderAreaWindow(viewer), size[0], size[1]);
    std::fflush(stdout);
}

}

int main(int argc, char** argv)
{
    viewer = startStoppingAtLastTick(argc, argv, reportWindow).viewer;
    runMainLoop();
    return 0;
}
