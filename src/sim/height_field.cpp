#include "sim/height_field.h"

#include "config/build_config.h"
#include "sim/boundary_cells.h"
#include "sim/random_drops.h"

double* const heights = new double[gridCellCount];
double* const velocities = new double[gridCellCount];

void stepSimulation()
{
    // Every new velocity reads only the heights of the previous step, so the
    // velocity pass may run in place before the heights move.
    for (int i = 1; i <= gridSize; ++i) {
        const double* up = heights + (i - 1) * gridStride;
        const double* row = heights + i * gridStride;
        const double* down = heights + (i + 1) * gridStride;
        double* velocity = velocities + i * gridStride;
        for (int j = 1; j <= gridSize; ++j) {
            const double laplacian = up[j] + down[j] + row[j - 1] + row[j + 1] - 4.0 * row[j];
            velocity[j] = (velocity[j] + waveCoefficient * laplacian) * velocityDamping;
        }
    }
    for (int i = 1; i <= gridSize; ++i) {
        double* row = heights + i * gridStride;
        const double* velocity = velocities + i * gridStride;
        for (int j = 1; j <= gridSize; ++j) {
            row[j] = row[j] + heightCoefficient * velocity[j];
        }
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
