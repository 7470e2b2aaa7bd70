// The program's start-up as src/app/main.cpp runs it, with one change: the
// ticks stop at tick 300. Once the viewer has drawn that tick, the render
// area's X window and its size go to standard output as "WINDOW WIDTH HEIGHT",
// and the program waits to be ended. The render tests compare that window
// with pelmora-render's picture of the same tick.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QWidget>

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoAlarmSensor.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "app/scene_assembly.h"
#include "app/viewer_binding.h"

namespace {

constexpr std::int32_t lastTick = 300;

// Time for the viewer to draw the last tick after its change.
const SbTime settleTime(1.0);

ExaminerViewer* viewer = nullptr;
SoAlarmSensor* reportAlarm = nullptr;
std::int32_t ticksDone = 0;

void reportWindow(void*, SoSensor*)
{
    viewer->render();
    const SbVec2s size = viewer->getViewportRegion().getWindowSize();
    std::printf("%lu %d %d\n", static_cast<unsigned long>(viewer->getGLWidget()->winId()), size[0], size[1]);
    std::fflush(stdout);
}

void tickUntilTheLast(void* data, SoSensor* sensor)
{
    frameTick(data, sensor);
    if (++ticksDone == lastTick) {
        static_cast<SoIdleSensor*>(sensor)->unschedule();
        reportAlarm->setTimeFromNow(settleTime);
        reportAlarm->schedule();
    }
}

}

int main(int argc, char** argv)
{
    BindingWindow mainWindow = initBinding(argc, argv, argv[0], "SoWin");
    if (mainWindow == nullptr) {
        std::exit(1);
    }
    SoSeparator* sceneRoot = assembleScene();
    viewer = new ExaminerViewer(mainWindow, nullptr, TRUE, FullViewer::BUILD_ALL, Viewer::BROWSER);
    viewer->setSceneGraph(sceneRoot);
    viewer->setTitle("Pel Mora");
    viewer->setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND);
    viewer->show();
    reportAlarm = new SoAlarmSensor(reportWindow, nullptr);
    auto* idle = new SoIdleSensor;
    idle->setFunction(tickUntilTheLast);
    idle->schedule();
    showWindow(mainWindow);
    runMainLoop();
    return 0;
}
