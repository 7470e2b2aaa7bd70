#include <gtest/gtest.h>

#include <cstdint>

#include "sim/height_field.h"
#include "sim/random_drops.h"
#include "sim/random_source.h"
#include "support/pool.h"

// A fixed run of steps and drops from the start of a run. Any change to a
// coefficient, to the order of operations or to rounding (fused
// multiply-adds) changes these hashes.
TEST(GoldenTrajectory, StepsAndDropsReproduceTheRecordedGrids)
{
    randomState = 1u;
    resetSimulation();
    for (int step = 1; step <= 2000; ++step) {
        stepSimulation();
        if (step % 17 == 0) {
            addRandomDrop();
        }
    }
    const std::uint64_t heightHash = hashBytes(heights, gridCellCount * sizeof(double));
    const std::uint64_t velocityHash = hashBytes(velocities, gridCellCount * sizeof(double));
    EXPECT_EQ(heightHash, perBuild<std::uint64_t>(0x0efd70ddc4c5f468, 0xa93a497e3dbefdf8, 0xf8cc0901e57f43c6)) << std::hex << "heights hash 0x" << heightHash;
    EXPECT_EQ(velocityHash, perBuild<std::uint64_t>(0xa4413386bccd1f18, 0x7a8642c5439b7121, 0x6bd4a30f736ae44a)) << std::hex << "velocities hash 0x" << velocityHash;
}
