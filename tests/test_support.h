#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "config/build_config.h"

// Picks the figure of the build under test.
template <typename T>
constexpr T perBuild(T for25, T for50, T for100)
{
    static_assert(gridSize == 25 || gridSize == 50 || gridSize == 100, "golden figures exist for 25, 50 and 100 only");
    return gridSize == 25 ? for25 : gridSize == 50 ? for50 : for100;
}

// 64-bit FNV-1a over raw bytes: any change in any bit of the data changes it.
inline std::uint64_t hashBytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t n = 0; n < size; ++n) {
        hash = (hash ^ bytes[n]) * 0x100000001b3ull;
    }
    return hash;
}

// The exact bits of a double.
inline std::uint64_t bitsOf(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Element of a bordered grid at row i, column j.
inline double& cellOf(double* grid, int i, int j)
{
    return grid[i * gridStride + j];
}
