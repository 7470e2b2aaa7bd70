#include <gtest/gtest.h>

#include "support/allocation_counter.h"
#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "sim/random_drops.h"

TEST(Allocation, GridsExistBeforeAnyCall)
{
    ASSERT_NE(heights, nullptr);
    ASSERT_NE(velocities, nullptr);
    EXPECT_NE(heights, velocities);
}

TEST(Allocation, StepsDropsAndBoundaryPassesAllocateNothing)
{
    resetSimulation();
    const double* grid = heights;
    const long before = allocationCount;
    for (int step = 0; step < 500; ++step) {
        stepSimulation();
        addRandomDrop();
        applyBoundaryCells(heights);
    }
    resetSimulation();
    EXPECT_EQ(allocationCount - before, 0);
    EXPECT_EQ(heights, grid);
}
