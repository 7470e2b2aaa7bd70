#pragma once

// Test support for the water and its scene: golden figures per build, exact
// bits and hashes, the bordered grids, the scene's nodes, and a fresh run of
// the pool driven one tick at a time.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "config/build_config.h"
#include "sim/random_source.h"

class SoCoordinate3;

// Picks the figure of the build under test.
template <typename T>
constexpr T perBuild(T for25, T for50, T for100)
{
    static_assert(gridSize == 25 || gridSize == 50 || gridSize == 100, "golden figures exist for 25, 50 and 100 only");
    return gridSize == 25 ? for25 : gridSize == 50 ? for50 : for100;
}

// 64-bit FNV-1a over raw bytes: any change in any bit of the data changes it.
std::uint64_t hashBytes(const void* data, std::size_t size);

// The exact bits of a double.
std::uint64_t bitsOf(double value);

// Element of a bordered grid at row i, column j.
inline double& cellOf(double* grid, int i, int j)
{
    return grid[i * gridStride + j];
}

// Every cell of a whole bordered grid, border ring included, set to one value.
void fillGrid(double* grid, double value);

// Still water: every height at rest and every velocity zero.
void stillWater();

// The water mesh's coordinate node, as the kit holds it.
SoCoordinate3* meshCoordinates();

// What the call writes to standard error, which goes to a file meanwhile.
std::string standardErrorOf(const std::function<void()>& call);

// The scene database and node kits, as the viewer binding would start them,
// and our JPEG reader.
void initScene();

// Child n of a group as the node type a test expects, or null if it is another type.
template <typename T>
T* childAs(SoNode* group, int n)
{
    auto* asGroup = static_cast<SoGroup*>(group);
    if (n >= asGroup->getNumChildren()) {
        return nullptr;
    }
    SoNode* child = asGroup->getChild(n);
    return child->isOfType(T::getClassTypeId()) ? static_cast<T*>(child) : nullptr;
}

// A fresh run and a real idle sensor for the tick to schedule again; the test
// drives the ticks itself, as the event loop would one idle moment at a time.
class RunningPool : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One tick, as the idle sensor would run it.
    void tick();

    SoSeparator* root = nullptr;
    SoIdleSensor* sensor = nullptr;
};
