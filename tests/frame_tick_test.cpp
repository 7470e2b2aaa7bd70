#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/sensors/SoFieldSensor.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "support/pool.h"
#include "sim/height_field.h"
#include "sim/random_source.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"

namespace {

// What the tick hands to the scene, in the order it happens.
std::vector<std::string> refreshes;

void noteCaustic(void*, SoSensor*) { refreshes.push_back("caustic"); }
void noteMesh(void*, SoSensor*) { refreshes.push_back("mesh"); }

class FrameTick : public RunningPool {
protected:
    void SetUp() override
    {
        RunningPool::SetUp();
        causticWatch = new SoFieldSensor(noteCaustic, nullptr);
        meshWatch = new SoFieldSensor(noteMesh, nullptr);
        // Priority 0: the callbacks run at the moment the field changes.
        causticWatch->setPriority(0);
        meshWatch->setPriority(0);
        causticWatch->attach(&causticTexture->image);
        meshWatch->attach(&meshCoordinates()->point);
        refreshes.clear();
    }
    void TearDown() override
    {
        delete meshWatch;
        delete causticWatch;
        RunningPool::TearDown();
    }

    SoFieldSensor* causticWatch = nullptr;
    SoFieldSensor* meshWatch = nullptr;
};

}

TEST_F(FrameTick, FirstRefreshComesOnTickThreeCausticBeforeMesh)
{
    tick();
    tick();
    EXPECT_TRUE(refreshes.empty());
    tick();
    EXPECT_EQ(refreshes, (std::vector<std::string>{"caustic", "mesh"}));
    refreshes.clear();
    tick();
    tick();
    EXPECT_TRUE(refreshes.empty());
    tick();
    EXPECT_EQ(refreshes, (std::vector<std::string>{"caustic", "mesh"}));
}

TEST_F(FrameTick, EveryTickStepsTheWaterOnce)
{
    const std::vector<double> startHeights(heights, heights + gridCellCount);
    const std::vector<double> startVelocities(velocities, velocities + gridCellCount);
    tick();
    const std::vector<double> ticked(heights, heights + gridCellCount);
    std::copy(startHeights.begin(), startHeights.end(), heights);
    std::copy(startVelocities.begin(), startVelocities.end(), velocities);
    stepSimulation();
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(bitsOf(heights[cell]), bitsOf(ticked[cell])) << "cell " << cell;
    }
}

TEST_F(FrameTick, FirstDropFromTheTickFallsOnTickEleven)
{
    for (int n = 1; n <= 30; ++n) {
        const std::uint32_t before = randomState;
        tick();
        const bool drew = randomState != before;
        ASSERT_EQ(drew, n == 11) << "tick " << n;
        if (n == 11) {
            break;
        }
    }
}

TEST_F(FrameTick, DropDrawsBeforeTheDelay)
{
    for (int n = 1; n < 11; ++n) {
        tick();
    }
    const std::uint32_t before = randomState;
    tick();
    // Replay the draws the eleventh tick made: the last one is the delay's.
    const std::uint32_t after = randomState;
    randomState = before;
    std::vector<int> draws;
    while (randomState != after) {
        draws.push_back(nextRandom());
    }
    ASSERT_GE(draws.size(), 4u);
    EXPECT_EQ(dropCountdown, dropDelay(draws.back()));
    EXPECT_NE(dropDelay(draws.front()), dropDelay(draws.back()));
}

TEST_F(FrameTick, DelayOfZeroDropsAgainOnTheNextTick)
{
    dropCountdown = 0;
    std::uint32_t before = randomState;
    tick();
    ASSERT_NE(randomState, before);
    dropCountdown = 0;
    before = randomState;
    tick();
    EXPECT_NE(randomState, before);
    const std::int32_t delay = dropCountdown;
    // The next drop falls delay + 1 ticks later.
    for (std::int32_t n = 0; n < delay; ++n) {
        before = randomState;
        tick();
        ASSERT_EQ(randomState, before) << "tick " << n;
    }
    before = randomState;
    tick();
    EXPECT_NE(randomState, before);
}

TEST_F(FrameTick, DelaysRunFromZeroToTwentyFive)
{
    EXPECT_EQ(dropDelay(0), 0);
    EXPECT_EQ(dropDelay(randomMax - 1), 24);
    EXPECT_EQ(dropDelay(randomMax), 25);
    for (int draw = 0; draw < randomMax; ++draw) {
        ASSERT_LE(dropDelay(draw), 24) << "draw " << draw;
    }
}

TEST_F(FrameTick, SensorIsScheduledAgainOnEveryTick)
{
    for (int n = 1; n <= 60; ++n) {
        tick();
        ASSERT_TRUE(sensor->isScheduled()) << "tick " << n;
    }
}

TEST_F(FrameTick, CounterWrapsPastItsLargestValue)
{
    tickCount = std::numeric_limits<std::int32_t>::max() - 2;
    std::vector<std::int32_t> seen;
    std::vector<bool> refreshed;
    for (int n = 0; n < 5; ++n) {
        refreshes.clear();
        tick();
        seen.push_back(tickCount);
        refreshed.push_back(!refreshes.empty());
    }
    const std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    const std::int32_t smallest = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(seen, (std::vector<std::int32_t>{largest - 1, largest, smallest, smallest + 1, smallest + 2}));
    for (std::size_t n = 0; n < seen.size(); ++n) {
        EXPECT_EQ(refreshed[n], seen[n] % 3 == 0) << "tick count " << seen[n];
    }
}

TEST_F(FrameTick, ThousandTicksReproduceTheRecordedRun)
{
    for (int n = 0; n < 1000; ++n) {
        tick();
    }
    const SbVec3f* points = meshCoordinates()->point.getValues(0);
    const std::uint64_t heightHash = hashBytes(heights, gridCellCount * sizeof(double));
    const std::uint64_t imageHash = hashBytes(causticImage, sizeof causticImage);
    const std::uint64_t meshHash = hashBytes(points, gridSize * gridSize * sizeof(SbVec3f));
    EXPECT_EQ(heightHash, perBuild<std::uint64_t>(0x979d5d5f7fc785d3, 0x93ceb7e8ab80398d, 0x2eea0c8ffc94fb43)) << std::hex << "heights 0x" << heightHash;
    EXPECT_EQ(imageHash, perBuild<std::uint64_t>(0x8e4fb62a77f7e2b1, 0xae4f3183aef187c4, 0xd517f6df9a6eb18c)) << std::hex << "caustic image 0x" << imageHash;
    EXPECT_EQ(meshHash, perBuild<std::uint64_t>(0x74998177e6de2c46, 0x60e8f1e69aae9329, 0x202503ddd72ad0d5)) << std::hex << "mesh 0x" << meshHash;
}
