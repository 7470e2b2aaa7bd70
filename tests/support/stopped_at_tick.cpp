#include "support/stopped_at_tick.h"

#include <cstdlib>

#include <Inventor/sensors/SoAlarmSensor.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"

namespace {

// Time for the viewer to draw the last tick after its change.
const SbTime settleTime(1.0);

SoAlarmSensor* lastTickAlarm = nullptr;
std::int32_t ticksDone = 0;

void tickUntilTheLast(void* data, SoSensor* sensor)
{
    frameTick(data, sensor);
    if (++ticksDone == lastTick) {
        static_cast<SoIdleSensor*>(sensor)->unschedule();
        lastTickAlarm->setTimeFromNow(settleTime);
        lastTickAlarm->schedule();
    }
}

}

StartedPool startStoppingAtLastTick(int& argc, char** argv, SoSensorCB* atLastTick)
{
    const StartedPool pool = startUp(argc, argv);
    if (pool.mainWindow == nullptr) {
        std::exit(1);
    }
    lastTickAlarm = new SoAlarmSensor(atLastTick, nullptr);
    pool.idle->setFunction(tickUntilTheLast);
    return pool;
}
