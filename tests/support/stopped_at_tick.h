#pragma once

#include <cstdint>

#include <Inventor/sensors/SoSensor.h>

#include "app/start_up.h"

// The tick at which the harnesses stop the pool, as the renderer pictures it.
constexpr std::int32_t lastTick = 300;

// The program's own start-up, with one change after it: the ticks stop at
// lastTick, and once the viewer has had time to draw that tick, atLastTick
// runs (from the main loop, as an alarm). Exits with status 1 when no window
// can be opened; gives the started pool otherwise.
StartedPool startStoppingAtLastTick(int& argc, char** argv, SoSensorCB* atLastTick);
