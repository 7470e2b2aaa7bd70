#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "sim/random_drops.h"
#include "sim/random_source.h"
#include "support/pool.h"

namespace {

constexpr int K = cornerBlockSize;
constexpr int N = gridSize;

// A generator state whose next two draws give the column, then the row.
std::uint32_t stateDrawing(int row, int column)
{
    for (std::uint32_t state = 1u;; ++state) {
        randomState = state;
        const int drawnColumn = dropPosition(nextRandom());
        if (drawnColumn == column && dropPosition(nextRandom()) == row) {
            return state;
        }
    }
}

// How many draws took the generator from the given state to where it is now.
int drawsSince(std::uint32_t start)
{
    const std::uint32_t now = randomState;
    randomState = start;
    int draws = 0;
    while (randomState != now) {
        nextRandom();
        ++draws;
    }
    randomState = now;
    return draws;
}

}

TEST(FirstDrop, FallsAtColumn4OnTheBuildsRowWithItsKnownStrength)
{
    randomState = 1u;
    clearBoundaryCells();
    fillGrid(heights, restHeight);
    addRandomDrop();

    const int row = perBuild(12, 26, 54);
    const int column = 4;
    // Exactly three draws: the position was accepted at the first try.
    std::uint32_t expectedState = 1u;
    for (int draw = 0; draw < 3; ++draw) {
        expectedState = expectedState * 214013u + 2531011u;
    }
    EXPECT_EQ(randomState, expectedState);
    EXPECT_EQ(dropStrength(6334), -0.6133915219580676);

    int changed = 0;
    for (int i = 0; i < gridStride; ++i) {
        for (int j = 0; j < gridStride; ++j) {
            const bool inBump = i > row && i < row + dropSize && j > column && j < column + dropSize;
            if (inBump) {
                ++changed;
            } else {
                ASSERT_EQ(cellOf(heights, i, j), restHeight) << "at " << i << ", " << j;
            }
        }
    }
    EXPECT_EQ(changed, 16);
    const double centre = cellOf(heights, row + 2, column + 2);
    EXPECT_NEAR(centre, 9.44518, 0.5e-5);
    for (int di = 2; di <= 3; ++di) {
        for (int dj = 2; dj <= 3; ++dj) {
            EXPECT_NEAR(cellOf(heights, row + di, column + dj), centre, 1e-7);
        }
    }
    EXPECT_NE(cellOf(heights, row + 2, column + 2), cellOf(heights, row + 3, column + 2));
}

TEST(FirstDrop, ResetUsesTheFirstThreeDrawsOfARun)
{
    randomState = 1u;
    resetSimulation();
    const int row = perBuild(12, 26, 54);
    EXPECT_NEAR(cellOf(heights, row + 2, 6), 9.44518, 0.5e-5);
    EXPECT_EQ(cellOf(heights, row, 6), restHeight);
    EXPECT_EQ(nextRandom(), 26500);
}

TEST(DropPosition, SpansFourToNMinusSix)
{
    EXPECT_EQ(dropPosition(0), 4);
    EXPECT_EQ(dropPosition(randomMax), N - 6);
    EXPECT_EQ(dropPosition(randomMax - 1), N - 7);
    for (int draw = 0; draw <= randomMax; ++draw) {
        const int position = dropPosition(draw);
        ASSERT_EQ(position, draw * (N - 10) / randomMax + 4) << "draw " << draw;
    }
}

TEST(DropStrength, RunsFromMinusOneToOneAndIsNeverZero)
{
    EXPECT_EQ(dropStrength(0), -1.0);
    EXPECT_EQ(dropStrength(randomMax), 1.0);
    for (int draw = 0; draw <= randomMax; ++draw) {
        const double strength = dropStrength(draw);
        ASSERT_NE(strength, 0.0) << "draw " << draw;
        ASSERT_EQ(strength < 0.0, draw <= 16383) << "draw " << draw;
    }
}

TEST(DropBump, HasSineWeightsWithZeroFirstRowAndColumn)
{
    fillGrid(heights, restHeight);
    addDrop(8, 9, 1.0);
    const double weights[dropSize] = {0.0, 0.58779, 0.95106, 0.95106, 0.58779};
    for (int i = 0; i < dropSize; ++i) {
        for (int j = 0; j < dropSize; ++j) {
            EXPECT_NEAR(cellOf(heights, 8 + i, 9 + j) - restHeight, weights[i] * weights[j], 2e-5) << i << ", " << j;
        }
    }
    // The single-precision phase step makes the middle weights differ slightly.
    EXPECT_NE(std::sin(2 * dropPhaseStep), std::sin(3 * dropPhaseStep));
    EXPECT_NEAR(std::sin(2 * dropPhaseStep), std::sin(3 * dropPhaseStep), 1e-7);
    EXPECT_EQ(dropPhaseStep, 0.6283185482025146);
}

TEST(DropPlacement, RejectsExactlyThePositionsNearTheCornerBlock)
{
    clearBoundaryCells();
    // Walk every reachable position; a drop is retried when its smaller
    // coordinate is at most K and its larger at most K + 5.
    int tried = 0;
    int accepted = 0;
    std::uint32_t state = 7u;
    for (int attempt = 0; attempt < 20000; ++attempt) {
        randomState = state;
        const int column = dropPosition(nextRandom());
        const int row = dropPosition(nextRandom());
        const double strength = dropStrength(nextRandom());
        randomState = state;
        fillGrid(heights, restHeight);
        addRandomDrop();
        const bool refused = std::min(row, column) <= K && std::max(row, column) <= K + 5;
        const bool landedThere = cellOf(heights, row + 2, column + 2) == restHeight + std::sin(2 * dropPhaseStep) * std::sin(2 * dropPhaseStep) * strength;
        ASSERT_EQ(landedThere, !refused) << "row " << row << ", column " << column;
        ++tried;
        accepted += !refused;
        state = state * 2654435761u + 1u;
    }
    EXPECT_GT(accepted, tried / 2);
}

TEST(DropPlacement, RefusesPositionsBesideTheBlockEvenWhenTheirBumpWouldClearIt)
{
    clearBoundaryCells();
    // In the 25-cell pool row 8, column 4 is refused although its bump would
    // clear the block; both coordinates are drawn again. The first drop's
    // position stands.
    const std::uint32_t refusedStart = stateDrawing(perBuild(8, 14, 28), 4);
    randomState = refusedStart;
    addRandomDrop();
    EXPECT_GE(drawsSince(refusedStart), 5);
    const std::uint32_t acceptedStart = stateDrawing(perBuild(12, 26, 54), 4);
    randomState = acceptedStart;
    addRandomDrop();
    EXPECT_EQ(drawsSince(acceptedStart), 3);
}

TEST(DropPlacement, AcceptedBumpsStayClearOfBorderAndBlock)
{
    resetSimulation();
    for (int drop = 0; drop < 3000; ++drop) {
        fillGrid(heights, restHeight);
        addRandomDrop();
        for (int i = 0; i < gridStride; ++i) {
            for (int j = 0; j < gridStride; ++j) {
                const bool border = i == 0 || j == 0 || i == N + 1 || j == N + 1;
                const bool block = i <= K && j <= K;
                if (border || block) {
                    ASSERT_EQ(cellOf(heights, i, j), restHeight) << "drop " << drop << " reached " << i << ", " << j;
                }
            }
        }
    }
}

TEST(DropPlacement, TouchesOnlyHeights)
{
    resetSimulation();
    fillGrid(velocities, 0.25);
    const BoundaryCell before = boundaryCells[K];
    addRandomDrop();
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(velocities[cell], 0.25);
    }
    EXPECT_EQ(boundaryCells[K].rowWallLow, before.rowWallLow);
    EXPECT_EQ(boundaryCells[K].columnWallLow, before.columnWallLow);
}

TEST(Drops, TwoRunsDropTheSameSequence)
{
    std::vector<double> first;
    for (int run = 0; run < 2; ++run) {
        randomState = 1u;
        resetSimulation();
        for (int drop = 0; drop < 50; ++drop) {
            addRandomDrop();
        }
        std::vector<double> now(heights, heights + gridCellCount);
        if (run == 0) {
            first = now;
        } else {
            EXPECT_EQ(hashBytes(now.data(), now.size() * sizeof(double)), hashBytes(first.data(), first.size() * sizeof(double)));
        }
    }
}
