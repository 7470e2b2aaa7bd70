#pragma once

#include <cstdint>

class SoSensor;

// Ticks so far; wraps past its largest value. Only its remainder by 3 matters.
extern std::int32_t tickCount;

// Ticks left before the next random drop.
extern std::int32_t dropCountdown;

// The caustic image and the mesh follow the water on every this many ticks.
constexpr int refreshInterval = 3;

// Ticks before the first drop that a tick lets fall.
constexpr std::int32_t firstDropCountdown = 10;

// Longest delay between two drops, reached only by the largest draw.
constexpr double longestDropDelay = 25.0;

// The delay that one draw gives: 0 ... 25 ticks.
std::int32_t dropDelay(int draw);

// The idle sensor's callback: one step of the water, a refresh of what the
// viewer shows on every third tick, a drop when the countdown runs out, and
// the sensor scheduled again for the next idle moment.
void frameTick(void* data, SoSensor* sensor);
