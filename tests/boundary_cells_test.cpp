#include <gtest/gtest.h>

#include <vector>

#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "sim/random_drops.h"
#include "support/pool.h"

namespace {

constexpr int K = cornerBlockSize;
constexpr int N = gridSize;

// Every cell a distinct value, so that each copy can be traced to its source.
void fillDistinct()
{
    for (int cell = 0; cell < gridCellCount; ++cell) {
        heights[cell] = 1000.0 + cell;
    }
}

}

TEST(BoundaryTable, CornerBlockSizeIsAQuarterOfTheGrid)
{
    EXPECT_EQ(K, perBuild(6, 12, 25));
}

TEST(BoundaryTable, ClearWritesTheCornerBlockAndTheLowEdges)
{
    for (BoundaryCell& cell : boundaryCells) {
        cell = BoundaryCell{77, 77, 77, 77};
    }
    clearBoundaryCells();
    for (int k = 0; k <= N + 1; ++k) {
        const int low = (k >= 1 && k <= K) ? K : 0;
        EXPECT_EQ(boundaryCells[k].rowWallLow, low) << "record " << k;
        EXPECT_EQ(boundaryCells[k].rowWallHigh, -1) << "record " << k;
        EXPECT_EQ(boundaryCells[k].columnWallLow, low) << "record " << k;
        EXPECT_EQ(boundaryCells[k].columnWallHigh, -1) << "record " << k;
    }
}

TEST(BoundaryTable, ClearTouchesNeitherGrid)
{
    fillDistinct();
    velocities[5] = 3.5;
    clearBoundaryCells();
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(heights[cell], 1000.0 + cell);
    }
    EXPECT_EQ(velocities[5], 3.5);
}

TEST(BoundaryPass, CopiesExactlyTheWallCellsFromTheWaterBesideThem)
{
    clearBoundaryCells();
    fillDistinct();
    std::vector<double> before(heights, heights + gridCellCount);
    applyBoundaryCells(heights);

    std::vector<double> expected = before;
    auto at = [&](std::vector<double>& grid, int i, int j) -> double& { return grid[i * gridStride + j]; };
    for (int i = 1; i <= K; ++i) {
        at(expected, i, K) = at(before, i, K + 1);
    }
    for (int i = K + 1; i <= N; ++i) {
        at(expected, i, 0) = at(before, i, 1);
    }
    for (int j = 1; j <= K; ++j) {
        at(expected, K, j) = at(before, K + 1, j);
    }
    for (int j = K + 1; j <= N; ++j) {
        at(expected, 0, j) = at(before, 1, j);
    }
    int written = 0;
    for (int cell = 0; cell < gridCellCount; ++cell) {
        EXPECT_EQ(heights[cell], expected[cell]) << "cell " << cell / gridStride << ", " << cell % gridStride;
        written += heights[cell] != before[cell];
    }
    // 2N copies, two of them onto the block's corner cell.
    EXPECT_EQ(written, 2 * N - 1);
}

TEST(BoundaryPass, BlockCornerTakesTheCopyAlongItsColumn)
{
    clearBoundaryCells();
    fillDistinct();
    ASSERT_NE(cellOf(heights, K, K + 1), cellOf(heights, K + 1, K));
    const double fromBelow = cellOf(heights, K + 1, K);
    applyBoundaryCells(heights);
    EXPECT_EQ(cellOf(heights, K, K), fromBelow);
}

TEST(BoundaryPass, SecondPassChangesNothing)
{
    clearBoundaryCells();
    fillDistinct();
    applyBoundaryCells(heights);
    std::vector<double> once(heights, heights + gridCellCount);
    applyBoundaryCells(heights);
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(bitsOf(heights[cell]), bitsOf(once[cell])) << "cell " << cell;
    }
}

TEST(BoundaryPass, RestingWaterIsLeftAsItIs)
{
    clearBoundaryCells();
    fillGrid(heights, restHeight);
    applyBoundaryCells(heights);
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(heights[cell], restHeight);
    }
}

TEST(BoundaryPass, LeavesVelocitiesAlone)
{
    clearBoundaryCells();
    fillDistinct();
    for (int cell = 0; cell < gridCellCount; ++cell) {
        velocities[cell] = -cell;
    }
    applyBoundaryCells(heights);
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(velocities[cell], -cell);
    }
}

TEST(Walls, UnmirroredEdgesHoldRestHeightThroughStepsAndDrops)
{
    resetSimulation();
    for (int step = 1; step <= 600; ++step) {
        stepSimulation();
        if (step % 7 == 0) {
            addRandomDrop();
        }
    }
    for (int k = 0; k <= N + 1; ++k) {
        ASSERT_EQ(cellOf(heights, N + 1, k), restHeight) << "row N + 1, column " << k;
        ASSERT_EQ(cellOf(heights, k, N + 1), restHeight) << "column N + 1, row " << k;
    }
    for (int k = 0; k <= K; ++k) {
        ASSERT_EQ(cellOf(heights, 0, k), restHeight) << "row 0, column " << k;
        ASSERT_EQ(cellOf(heights, k, 0), restHeight) << "column 0, row " << k;
    }
}

TEST(Walls, MirrorTheWaterAfterEveryStep)
{
    resetSimulation();
    for (int step = 1; step <= 120; ++step) {
        stepSimulation();
        for (int i = K + 1; i <= N; ++i) {
            ASSERT_EQ(cellOf(heights, i, 0), cellOf(heights, i, 1)) << "step " << step << ", row " << i;
            ASSERT_EQ(cellOf(heights, 0, i), cellOf(heights, 1, i)) << "step " << step << ", column " << i;
        }
        for (int k = 1; k < K; ++k) {
            ASSERT_EQ(cellOf(heights, k, K), cellOf(heights, k, K + 1)) << "step " << step << ", row " << k;
        }
        for (int k = 1; k <= K; ++k) {
            ASSERT_EQ(cellOf(heights, K, k), cellOf(heights, K + 1, k)) << "step " << step << ", column " << k;
        }
    }
}

TEST(Walls, HeightBehindTheBlockNeverReachesTheWater)
{
    resetSimulation();
    std::vector<double> clean;
    // Run the same water twice, once with a tall column hidden behind the block.
    for (int run = 0; run < 2; ++run) {
        stillWater();
        addDrop(K + 3, K + 3, 0.75);
        applyBoundaryCells(heights);
        if (run == 1) {
            cellOf(heights, 2, 2) = 500.0;
        }
        for (int step = 0; step < 400; ++step) {
            stepSimulation();
        }
        std::vector<double> water;
        for (int i = 1; i <= N; ++i) {
            for (int j = 1; j <= N; ++j) {
                if (i > K || j > K) {
                    water.push_back(cellOf(heights, i, j));
                }
            }
        }
        if (run == 0) {
            clean = water;
        } else {
            ASSERT_EQ(water.size(), clean.size());
            for (std::size_t n = 0; n < water.size(); ++n) {
                ASSERT_EQ(bitsOf(water[n]), bitsOf(clean[n])) << "water cell " << n;
            }
        }
    }
}
