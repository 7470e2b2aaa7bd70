#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <Inventor/sensors/SoIdleSensor.h>

#include "support/reference_kernels.h"
#include "support/pool.h"
#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "sim/random_drops.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"
#include "support/water_state.h"

namespace {

constexpr int N = gridSize;
constexpr int P = patternSize;

// The program's kernels are tuned for speed; these cases hold them to the
// plain loops of their formulas, bit for bit, from the same states.
class KernelsMatchTheirFormulas : public RunningPool {
protected:
    void referenceTick()
    {
        sensor->unschedule();
        referenceFrameTick(nullptr, sensor);
    }

    // Runs ours, then the reference, each `calls` times from the state as it is
    // now, and names the first part of their results that differs.
    template <typename Ours, typename Reference>
    std::string compare(int calls, Ours ours, Reference reference)
    {
        const WaterState start = captureWaterState();
        for (int n = 0; n < calls; ++n) {
            ours();
        }
        const WaterState oursAfter = captureWaterState();
        restoreWaterState(start);
        for (int n = 0; n < calls; ++n) {
            reference();
        }
        return firstDifference(oursAfter, captureWaterState());
    }

    void moveTheWater(int ticks)
    {
        for (int n = 0; n < ticks; ++n) {
            tick();
        }
    }
};

// Heights whose slopes send rays past every edge of the pattern and onto it.
void steepAndFlatHeights()
{
    for (int i = 0; i < gridStride; ++i) {
        for (int j = 0; j < gridStride; ++j) {
            cellOf(heights, i, j) = restHeight + ((i * 7 + j * 3) % 11 - 5) * 0.37 * ((i + j) % 4);
        }
    }
}

}

TEST_F(KernelsMatchTheirFormulas, StepOnMovingWater)
{
    moveTheWater(300);
    EXPECT_EQ(compare(250, stepSimulation, referenceStepSimulation), "");
}

TEST_F(KernelsMatchTheirFormulas, StepOnHeightsFarFromRest)
{
    steepAndFlatHeights();
    for (int cell = 0; cell < gridCellCount; cell += 5) {
        velocities[cell] = (cell % 3 - 1) * 1.0e-3;
    }
    EXPECT_EQ(compare(40, stepSimulation, referenceStepSimulation), "");
}

TEST_F(KernelsMatchTheirFormulas, StepWithTinyAndHugeValues)
{
    const double values[] = {std::numeric_limits<double>::denorm_min(), -0.0, 1.0e300, -1.0e300,
        std::numeric_limits<double>::min(), 3.0e-200};
    for (int cell = 0; cell < gridCellCount; ++cell) {
        heights[cell] = values[cell % 6];
        velocities[cell] = values[(cell + 2) % 6];
    }
    EXPECT_EQ(compare(3, stepSimulation, referenceStepSimulation), "");
}

TEST_F(KernelsMatchTheirFormulas, BoundaryPassAndDrops)
{
    moveTheWater(100);
    EXPECT_EQ(compare(1, [] { applyBoundaryCells(heights); }, [] { referenceApplyBoundaryCells(heights); }), "");
    EXPECT_EQ(compare(300, addRandomDrop, referenceAddRandomDrop), "");
}

TEST_F(KernelsMatchTheirFormulas, CausticOnMovingWater)
{
    for (int round = 0; round < 5; ++round) {
        moveTheWater(97);
        ASSERT_EQ(compare(1, updateCausticTexture, referenceUpdateCausticTexture), "") << "round " << round;
    }
}

TEST_F(KernelsMatchTheirFormulas, CausticOnSlopesPastEveryEdge)
{
    steepAndFlatHeights();
    EXPECT_EQ(compare(1, updateCausticTexture, referenceUpdateCausticTexture), "");
}

TEST_F(KernelsMatchTheirFormulas, CausticOnHitsExactlyOnTexelEdges)
{
    // Slopes in small steps sweep the rays across many texel edges, along
    // both axes, and each landing is compared.
    for (int step = -400; step <= 400; ++step) {
        fillGrid(heights, restHeight);
        const double half = step * 0.0025;
        for (int i = 1; i <= N - 2; ++i) {
            cellOf(heights, i, i - 1) = restHeight + half;
            cellOf(heights, i, i + 1) = restHeight - half;
            cellOf(heights, i - 1, N - 1 - i) = restHeight - half;
            cellOf(heights, i + 1, N - 1 - i) = restHeight + half;
        }
        ASSERT_EQ(compare(1, updateCausticTexture, referenceUpdateCausticTexture), "") << "slope step " << step;
    }
}

TEST_F(KernelsMatchTheirFormulas, CausticOnWildHeights)
{
    const double wild[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), 1.0e300, -1.0e300, std::numeric_limits<double>::max(),
        std::numeric_limits<double>::denorm_min(), static_cast<double>(P), -0.0};
    for (double value : wild) {
        for (int stride = 2; stride <= 5; ++stride) {
            for (int cell = 0; cell < gridCellCount; ++cell) {
                heights[cell] = cell % stride == 0 ? value : restHeight;
            }
            ASSERT_EQ(compare(1, updateCausticTexture, referenceUpdateCausticTexture), "")
                << "value " << value << ", every " << stride << "th cell";
        }
    }
}

TEST_F(KernelsMatchTheirFormulas, MeshRefreshOnMovingWater)
{
    moveTheWater(50);
    EXPECT_EQ(compare(1, updateSurfaceCoordinates, referenceUpdateSurfaceCoordinates), "");
}

TEST_F(KernelsMatchTheirFormulas, MeshRefreshAfterTheWaterIsRebuilt)
{
    SoSeparator* again = buildWaterSurface();
    again->ref();
    moveTheWater(20);
    EXPECT_EQ(compare(1, updateSurfaceCoordinates, referenceUpdateSurfaceCoordinates), "");
    again->unref();
}

TEST_F(KernelsMatchTheirFormulas, ThreeThousandFrameTicks)
{
    EXPECT_EQ(compare(3000, [this] { tick(); }, [this] { referenceTick(); }), "");
}
