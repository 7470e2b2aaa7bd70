#include "support/reference_kernels.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include <Inventor/SbVec2s.h>
#include <Inventor/SbVec3f.h>
#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/sensors/SoSensor.h>

#include "app/frame_tick.h"
#include "config/build_config.h"
#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "sim/random_source.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"

namespace {

constexpr int N = gridSize;
constexpr int S = gridStride;
constexpr int P = patternSize;

double& h(int i, int j)
{
    return heights[i * S + j];
}

double& v(int i, int j)
{
    return velocities[i * S + j];
}

// Clamped in double before the conversion: P or more gives P - 1, zero, less or NaN gives 0.
int texel(double coordinate)
{
    if (coordinate >= P) {
        return P - 1;
    }
    if (coordinate > 0.0) {
        return static_cast<int>(coordinate);
    }
    return 0;
}

int position(int draw)
{
    return static_cast<int>(draw * (1.0 / 32767.0) * (N - 10) - 1 + 5);
}

}

void referenceStepSimulation()
{
    for (int i = 1; i <= N; ++i) {
        for (int j = 1; j <= N; ++j) {
            const double L = h(i - 1, j) + h(i + 1, j) + h(i, j - 1) + h(i, j + 1) - 4.0 * h(i, j);
            v(i, j) = (v(i, j) + 0.29999999999999993 * L) * 0.97499999962747097;
        }
    }
    for (int i = 1; i <= N; ++i) {
        for (int j = 1; j <= N; ++j) {
            h(i, j) = h(i, j) + 0.3 * v(i, j);
        }
    }
    referenceApplyBoundaryCells(heights);
}

void referenceApplyBoundaryCells(double* grid)
{
    for (int k = 1; k <= N; ++k) {
        const BoundaryCell& cell = boundaryCells[k];
        if (cell.rowWallLow >= 0) {
            grid[k * S + cell.rowWallLow] = grid[k * S + cell.rowWallLow + 1];
        }
        if (cell.rowWallHigh >= 0) {
            grid[k * S + cell.rowWallHigh + 1] = grid[k * S + cell.rowWallHigh];
        }
        if (cell.columnWallLow >= 0) {
            grid[cell.columnWallLow * S + k] = grid[(cell.columnWallLow + 1) * S + k];
        }
        if (cell.columnWallHigh >= 0) {
            grid[(cell.columnWallHigh + 1) * S + k] = grid[cell.columnWallHigh * S + k];
        }
    }
}

void referenceAddRandomDrop()
{
    int row = 0;
    int column = 0;
    while (true) {
        column = position(nextRandom());
        row = position(nextRandom());
        const bool refused = row < column ? boundaryCells[row].columnWallLow + 5 >= column
                                          : boundaryCells[column].rowWallLow + 5 >= row;
        if (!refused) {
            break;
        }
    }
    const double strength = nextRandom() * (1.0 / 32767.0) * 2 - 1;
    const double step = 0.62831855f;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            h(row + i, column + j) = h(row + i, column + j) + std::sin(i * step) * std::sin(j * step) * strength;
        }
    }
}

void referenceUpdateCausticTexture()
{
    for (int i = 1; i <= N - 2; ++i) {
        for (int j = 1; j <= N - 2; ++j) {
            const double dRow = h(i - 1, j) - h(i + 1, j);
            const double dCol = h(i, j - 1) - h(i, j + 1);
            const double mx = -dRow;
            const double my = -dCol;
            const double mz = 1.0;
            const double len = std::sqrt(mz * mz + my * my + mx * mx);
            const double nx = mx / len;
            const double ny = my / len;
            const double nz = mz / len;
            const double t = 50.0 / nz;
            const int a = texel(t * nx + 2 * i + N / 2.0);
            const int b = texel(t * ny + 2 * j + N / 2.0);
            std::memcpy(causticImage + ((N - i) * N + j) * 4, lightPattern + (b * P + a) * 4, 4);
        }
    }
    causticTexture->image.setValue(SbVec2s(N, N), 4, causticImage, SoSFImage::COPY);
}

void referenceUpdateSurfaceCoordinates()
{
    auto* coordinates = static_cast<SoCoordinate3*>(waterKit->getPart("coordinate3", TRUE));
    const double s = 1.0f / (N - 1);
    for (int i = 0; i < N; ++i) {
        for (int j = 0; j < N; ++j) {
            const float x = static_cast<float>(2 * i * s - 1);
            const float y = static_cast<float>(2 * j * s - 1);
            const float z = static_cast<float>(h(i, j) * 0.1 + 0.125);
            surfaceVertices[i * N + j].setValue(x, y, z);
        }
    }
    coordinates->point.setValues(0, N * N, surfaceVertices);
}

void referenceFrameTick(void*, SoSensor* sensor)
{
    tickCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(tickCount) + 1u);
    referenceStepSimulation();
    if (tickCount % 3 == 0) {
        referenceUpdateCausticTexture();
        referenceUpdateSurfaceCoordinates();
    }
    if (dropCountdown == 0) {
        referenceAddRandomDrop();
        dropCountdown = static_cast<std::int32_t>(nextRandom() * (1.0 / 32767.0) * 25.0);
    } else {
        dropCountdown = dropCountdown - 1;
    }
    sensor->schedule();
}
