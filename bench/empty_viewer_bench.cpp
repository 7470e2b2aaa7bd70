#include <cstdio>

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "frame_clock.h"

#include "app/viewer_binding.h"

// The floor under the live program's first frame: the same binding, started
// the same way, showing one cube in the same examiner viewer, timed with the
// live harness's clocks to the same point, the end of the first frame (the
// event loop idle again after the first traversal). Usage, under an X server:
// pelmora-empty-viewer [0], the argument that stops a live harness at its
// first frame, taken and ignored here, where the run always stops there.
namespace {

void frameDone(void*, SoSensor* sensor)
{
    endFrame(Clock::now());
    if (frameCounts.frames > 0) {
        endMainLoop();
        return;
    }
    sensor->schedule();
}

}

int main(int argc, char** argv)
{
    const Clock::time_point mainStart = Clock::now();
    BindingWindow window = initBinding(argc, argv, argv[0], "SoWin");
    if (window == nullptr) {
        std::fprintf(stderr, "no display to open a window on\n");
        return 1;
    }
    auto* root = new SoSeparator;
    root->addChild(new SoCube);
    auto* viewer = new ExaminerViewer(window, nullptr, TRUE, FullViewer::BUILD_ALL, Viewer::BROWSER);
    viewer->setSceneGraph(root);
    viewer->setTitle("Empty viewer");
    viewer->show();
    SoIdleSensor idle(frameDone, nullptr);
    idle.schedule();
    showWindow(window);
    const Clock::time_point viewerShown = Clock::now();
    viewer->getGLRenderAction()->addPreRenderCallback(frameStarts, nullptr);
    runMainLoop();
    std::printf("pelmora-empty-viewer: start-up, milliseconds from main(), %s\n", frameCounts.renderer.c_str());
    printStartUp(mainStart, viewerShown, frameCounts.firstFrameDrawn);
    return 0;
}
