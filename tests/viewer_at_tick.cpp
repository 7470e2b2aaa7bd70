// The program's own start-up, with one change after it: the ticks stop at
// tick 300. Once the viewer has drawn that tick, the render area's X window
// and its size go to standard output as "WINDOW WIDTH HEIGHT", and the
// program waits to be ended. The render tests compare that window with
// pelmora-render's picture of the same tick.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <Inventor/sensors/SoAlarmSensor.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "app/start_up.h"

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
    std::printf("%lu %d %d\n", renderAreaWindow(viewer), size[0], size[1]);
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
    const StartedPool pool = startUp(argc, argv);
    if (pool.mainWindow == nullptr) {
        std::exit(1);
    }
    viewer = pool.viewer;
    reportAlarm = new SoAlarmSensor(reportWindow, nullptr);
    pool.idle->setFunction(tickUntilTheLast);
    runMainLoop();
    return 0;
}
