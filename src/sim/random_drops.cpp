#include "sim/random_drops.h"

#include <cmath>

#include "config/build_config.h"
#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "sim/random_source.h"

int dropPosition(int draw)
{
    // Written as the drop's formula has always been: scale, less one, plus five.
    return static_cast<int>(draw * randomReciprocal * (gridSize - 10) - 1 + 5);
}

double dropStrength(int draw)
{
    return draw * randomReciprocal * 2 - 1;
}

void addDrop(int row, int column, double strength)
{
    for (int i = 0; i < dropSize; ++i) {
        double* cells = heights + (row + i) * gridStride + column;
        for (int j = 0; j < dropSize; ++j) {
            cells[j] = cells[j] + std::sin(i * dropPhaseStep) * std::sin(j * dropPhaseStep) * strength;
        }
    }
}

namespace {

// A position is refused when its bump would start within the margin of a low
// wall on the line of its smaller coordinate.
bool nearLowWall(int row, int column)
{
    if (row < column) {
        return boundaryCells[row].columnWallLow + dropWallMargin >= column;
    }
    return boundaryCells[column].rowWallLow + dropWallMargin >= row;
}

}

void addRandomDrop()
{
    int row = 0;
    int column = 0;
    do {
        column = dropPosition(nextRandom());
        row = dropPosition(nextRandom());
    } while (nearLowWall(row, column));
    addDrop(row, column, dropStrength(nextRandom()));
}
