#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <Inventor/SbVec3f.h>

// Everything a kernel or a tick reads or writes, copied out of the program:
// both grids, both images, the staging buffer, what the scene's two fields
// hold, the generator and the tick's counters.
struct WaterState {
    std::vector<double> heights;
    std::vector<double> velocities;
    std::vector<unsigned char> causticImage;
    std::vector<unsigned char> textureImage;
    std::vector<SbVec3f> stagingVertices;
    std::vector<SbVec3f> meshPoints;
    std::uint32_t randomState = 0;
    std::int32_t tickCount = 0;
    std::int32_t dropCountdown = 0;
};

// Copies the program's state out.
WaterState captureWaterState();

// Puts a captured state back, the scene's fields included.
void restoreWaterState(const WaterState& state);

// The first part of two states that differs in any bit, or an empty string when none does.
std::string firstDifference(const WaterState& ours, const WaterState& reference);
