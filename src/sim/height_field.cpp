#include "sim/height_field.h"

#include "config/build_config.h"
#include "platform/kernel_clones.h"
#include "sim/boundary_cells.h"
#include "sim/random_drops.h"

double* const heights = new double[gridCellCount];
double* const velocities = new double[gridCellCount];

namespace {

// Both passes are built twice where the platform allows, for plain x86-64
// and for AVX2, and the loader picks one for the processor; a lane adds and
// multiplies exactly as a scalar register does, so either gives the same bits.

// New velocities of one row from the heights of its row and the two beside it.
KERNEL_CLONES
void stepVelocityRow(const double* up, const double* row, const double* down, double* velocity)
{
    for (int j = 1; j <= gridSize; ++j) {
        const double laplacian = up[j] + down[j] + row[j - 1] + row[j + 1] - 4.0 * row[j];
        velocity[j] = (velocity[j] + waveCoefficient * laplacian) * velocityDamping;
    }
}

// Moves one row of heights by its new velocities.
KERNEL_CLONES
void moveHeightRow(double* row, const double* velocity)
{
    for (int j = 1; j <= gridSize; ++j) {
        row[j] = row[j] + heightCoefficient * velocity[j];
    }
}

}

void stepSimulation()
{
    // Every new velocity reads only the heights of the previous step, so the
    // velocity pass may run in place before the heights move.
    for (int i = 1; i <= gridSize; ++i) {
        const double* up = heights + (i - 1) * gridStride;
        const double* row = heights + i * gridStride;
        const double* down = heights + (i + 1) * gridStride;
        stepVelocityRow(up, row, down, velocities + i * gridStride);
    }
    for (int i = 1; i <= gridSize; ++i) {
        moveHeightRow(heights + i * gridStride, velocities + i * gridStride);
    }
    applyBoundaryCells(heights);
}

void resetSimulation()
{
    clearBoundaryCells();
    for (int cell = 0; cell < gridCellCount; ++cell) {
        heights[cell] = restHeight;
        velocities[cell] = 0.0;
    }
    addRandomDrop();
    applyBoundaryCells(heights);
}
