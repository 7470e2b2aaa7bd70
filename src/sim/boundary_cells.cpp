#include "sim/boundary_cells.h"

BoundaryCell boundaryCells[gridStride];

void clearBoundaryCells()
{
    for (BoundaryCell& cell : boundaryCells) {
        cell = BoundaryCell{0, noWall, 0, noWall};
    }
    // The corner block pushes the low walls of its lines out to its faces.
    for (int k = 1; k <= cornerBlockSize; ++k) {
        boundaryCells[k].rowWallLow = cornerBlockSize;
        boundaryCells[k].columnWallLow = cornerBlockSize;
    }
}

void applyBoundaryCells(double* grid)
{
    // Ascending lines, row copy before column copy: the block's corner cell is
    // written twice and the copy along its column stands.
    for (int k = 1; k <= gridSize; ++k) {
        const BoundaryCell& cell = boundaryCells[k];
        double* row = grid + k * gridStride;
        if (cell.rowWallLow >= 0) {
            row[cell.rowWallLow] = row[cell.rowWallLow + 1];
        }
        if (cell.rowWallHigh >= 0) {
            row[cell.rowWallHigh + 1] = row[cell.rowWallHigh];
        }
        if (cell.columnWallLow >= 0) {
            grid[cell.columnWallLow * gridStride + k] = grid[(cell.columnWallLow + 1) * gridStride + k];
        }
        if (cell.columnWallHigh >= 0) {
            grid[(cell.columnWallHigh + 1) * gridStride + k] = grid[cell.columnWallHigh * gridStride + k];
        }
    }
}
