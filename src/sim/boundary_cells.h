#pragma once

#include <cstdint>

#include "config/build_config.h"

// The walls of one grid line k: where the water in row k and in column k meets
// a ghost cell that mirrors it. A negative field means no wall on that side.
struct BoundaryCell {
    // Column of the ghost cell in row k whose water lies at higher columns.
    std::int32_t rowWallLow;
    // Column of the last water cell in row k before a ghost cell.
    std::int32_t rowWallHigh;
    // Row of the ghost cell in column k whose water lies at higher rows.
    std::int32_t columnWallLow;
    // Row of the last water cell in column k before a ghost cell.
    std::int32_t columnWallHigh;
};

// The field value that says "no wall here".
constexpr std::int32_t noWall = -1;

// One record per grid line 0 ... gridSize + 1; filled once by clearBoundaryCells.
extern BoundaryCell boundaryCells[gridStride];

// Shapes the pool: mirrored walls on row and column 0 and around the corner block.
void clearBoundaryCells();

// Copies every ghost cell of lines 1 ... gridSize from the water beside it.
void applyBoundaryCells(double* grid);
