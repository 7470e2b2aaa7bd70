#pragma once

// One source, three programs: the build stamps PELMORA_GRID_SIZE (25, 50 or 100)
// and, for the builds that have them, PELMORA_WITH_BASIN (walls and basin
// scenery) and PELMORA_WITH_MODEL (the imported model).
#ifndef PELMORA_GRID_SIZE
#error "PELMORA_GRID_SIZE must be set by the build (25, 50 or 100)"
#endif

// Interior cells along each side of the pool.
constexpr int gridSize = PELMORA_GRID_SIZE;

// Doubles per stored row (and rows per grid): the interior plus a one-cell border ring.
constexpr int gridStride = gridSize + 2;

// Doubles in one whole grid, border ring included.
constexpr int gridCellCount = gridStride * gridStride;

// Side of the square block cut out of the pool's corner.
constexpr int cornerBlockSize = gridSize / 4;

static_assert(gridSize >= 12, "a drop's 5 x 5 bump and its wall margin need at least 12 cells");
