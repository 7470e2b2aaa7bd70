#include "app/frame_tick.h"

#include <Inventor/sensors/SoSensor.h>

#include "sim/height_field.h"
#include "sim/random_drops.h"
#include "sim/random_source.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"

std::int32_t tickCount = 0;
std::int32_t dropCountdown = firstDropCountdown;

std::int32_t dropDelay(int draw)
{
    return static_cast<std::int32_t>(draw * randomReciprocal * longestDropDelay);
}

void frameTick(void*, SoSensor* sensor)
{
    // Counted in unsigned arithmetic, so that passing the largest value wraps instead of overflowing.
    tickCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(tickCount) + 1u);
    stepSimulation();
    if (tickCount % refreshInterval == 0) {
        updateCausticTexture();
        updateSurfaceCoordinates();
    }
    const std::int32_t ticksLeft = dropCountdown;
    dropCountdown = ticksLeft - 1;
    if (ticksLeft == 0) {
        addRandomDrop();
        dropCountdown = dropDelay(nextRandom());
    }
    sensor->schedule();
}
