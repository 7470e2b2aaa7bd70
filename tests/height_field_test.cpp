#include <gtest/gtest.h>

#include <cmath>

#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "support/pool.h"

namespace {

// A table with no walls at all, so that a step's own work can be seen alone.
void removeWalls()
{
    for (BoundaryCell& cell : boundaryCells) {
        cell = BoundaryCell{noWall, noWall, noWall, noWall};
    }
}

}

TEST(Coefficients, HaveTheirExactBits)
{
    EXPECT_EQ(bitsOf(waveCoefficient), 0x3FD3333333333332ull);
    EXPECT_EQ(bitsOf(velocityDamping), 0x3FEF333333000000ull);
    EXPECT_EQ(bitsOf(heightCoefficient), 0x3FD3333333333333ull);
    EXPECT_EQ(velocityDamping, 1.0 - static_cast<double>(0.025f));
}

TEST(Grid, LayoutMatchesTheBuild)
{
    EXPECT_EQ(gridStride, gridSize + 2);
    EXPECT_EQ(gridCellCount, perBuild(729, 2704, 10404));
    EXPECT_EQ(1 * gridStride + 1, perBuild(28, 53, 103));
    EXPECT_EQ(gridSize * gridStride + gridSize, perBuild(700, 2650, 10300));
}

TEST(Step, RestingWaterStaysExactlyAtRest)
{
    clearBoundaryCells();
    stillWater();
    for (int step = 0; step < 100; ++step) {
        stepSimulation();
    }
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(bitsOf(heights[cell]), bitsOf(restHeight)) << "cell " << cell;
        ASSERT_EQ(bitsOf(velocities[cell]), bitsOf(0.0)) << "cell " << cell;
    }
}

TEST(Step, OneRaisedCellGivesTheExactFirstStep)
{
    removeWalls();
    stillWater();
    const int row = gridSize / 2;
    const int column = gridSize / 2 + 1;
    cellOf(heights, row, column) = 11.0;
    stepSimulation();

    EXPECT_EQ(cellOf(velocities, row, column), -1.1699999995529649);
    EXPECT_EQ(cellOf(heights, row, column), 10.64900000013411);
    const int neighbours[4][2] = {{row - 1, column}, {row + 1, column}, {row, column - 1}, {row, column + 1}};
    for (const auto& n : neighbours) {
        EXPECT_EQ(cellOf(velocities, n[0], n[1]), 0.2924999998882412) << "at " << n[0] << ", " << n[1];
        EXPECT_EQ(cellOf(heights, n[0], n[1]), 10.087749999966473) << "at " << n[0] << ", " << n[1];
    }
    int changedHeights = 0;
    int changedVelocities = 0;
    for (int i = 1; i <= gridSize; ++i) {
        for (int j = 1; j <= gridSize; ++j) {
            changedHeights += cellOf(heights, i, j) != restHeight;
            changedVelocities += cellOf(velocities, i, j) != 0.0;
        }
    }
    EXPECT_EQ(changedHeights, 5);
    EXPECT_EQ(changedVelocities, 5);
}

TEST(Step, NeverWritesTheBorderRingAndNeverReadsTheCorners)
{
    removeWalls();
    stillWater();
    // Poison the grid's four corners: no interior cell may see them.
    const double poison = std::nan("");
    cellOf(heights, 0, 0) = poison;
    cellOf(heights, 0, gridStride - 1) = poison;
    cellOf(heights, gridStride - 1, 0) = poison;
    cellOf(heights, gridStride - 1, gridStride - 1) = poison;
    cellOf(heights, 3, 3) = 12.0;
    for (int step = 0; step < 200; ++step) {
        stepSimulation();
    }
    for (int k = 1; k <= gridSize; ++k) {
        ASSERT_EQ(cellOf(heights, 0, k), restHeight);
        ASSERT_EQ(cellOf(heights, gridSize + 1, k), restHeight);
        ASSERT_EQ(cellOf(heights, k, 0), restHeight);
        ASSERT_EQ(cellOf(heights, k, gridSize + 1), restHeight);
    }
    for (int i = 1; i <= gridSize; ++i) {
        for (int j = 1; j <= gridSize; ++j) {
            ASSERT_TRUE(std::isfinite(cellOf(heights, i, j))) << "at " << i << ", " << j;
        }
    }
}

TEST(Step, EdgeCellsFeelTheBorderAsAGivenHeight)
{
    removeWalls();
    stillWater();
    cellOf(heights, 0, 5) = 11.0;
    stepSimulation();
    // Only the interior cell next to the raised border cell moves.
    EXPECT_EQ(cellOf(velocities, 1, 5), 0.2924999998882412);
    EXPECT_EQ(cellOf(heights, 1, 5), 10.087749999966473);
    EXPECT_EQ(cellOf(heights, 0, 5), 11.0);
    EXPECT_EQ(cellOf(heights, 2, 5), restHeight);
}

TEST(Step, DampingAloneShrinksAVelocityByItsFactorEachStep)
{
    removeWalls();
    stillWater();
    const int row = gridSize / 2;
    cellOf(velocities, row, row) = 1.0;
    stepSimulation();
    EXPECT_EQ(cellOf(velocities, row, row), velocityDamping);
    EXPECT_EQ(cellOf(heights, row, row), restHeight + heightCoefficient * velocityDamping);
}

TEST(Reset, BringsBothGridsBackToRestBeforeTheNewDrop)
{
    resetSimulation();
    for (int step = 0; step < 50; ++step) {
        stepSimulation();
    }
    resetSimulation();
    int disturbed = 0;
    for (int cell = 0; cell < gridCellCount; ++cell) {
        ASSERT_EQ(velocities[cell], 0.0) << "cell " << cell;
        disturbed += heights[cell] != restHeight;
    }
    // A drop's bump never reaches a cell that the walls mirror.
    EXPECT_EQ(disturbed, 16);
}
