#include "surface/caustic_texture.h"

#include <cmath>
#include <cstring>

#include <Inventor/SbVec2s.h>
#include <Inventor/nodes/SoTexture2.h>

#include "platform/kernel_clones.h"
#include "sim/height_field.h"

unsigned char lightPattern[patternSize * patternSize * pixelBytes];
unsigned char causticImage[gridSize * gridSize * pixelBytes];
SoTexture2* causticTexture = nullptr;

namespace {

constexpr unsigned char fullLight = 255;

// Cells of one grid row that bend the light: columns 1 ... gridSize - 2.
constexpr int rowCells = gridSize - 2;

// One grid row's rays, a row at a time in small arrays. Each pass below is a
// loop of independent cells with short chains, which the compiler runs
// several cells per instruction; the square root and the four divisions per
// cell are what bounds the whole update.
struct RowRays {
    double mx[rowCells];
    double my[rowCells];
    double length[rowCells];
    double t[rowCells];
    double column[rowCells];
    double patternRow[rowCells];
};

// A ray's hit coordinate clamped onto the pattern: however wild the heights,
// even NaN, it lands on the nearest edge. Clamped in double, so that no value
// outside int ever gets converted; NaN fails the first test and becomes 0.
double onPattern(double coordinate)
{
    const double aboveZero = coordinate > 0.0 ? coordinate : 0.0;
    return aboveZero < patternSize - 1 ? aboveZero : patternSize - 1;
}

// Each pass is built twice where the platform allows, for plain x86-64 and
// for AVX2, and the loader picks one for the processor: a four-lane division
// or square root costs what a single one does, and every lane rounds exactly
// as a scalar register would.

// The normal of each cell of grid row i, its length, and how far along it the floor lies.
KERNEL_CLONES
void traceNormals(int i, RowRays& rays)
{
    const double* up = heights + (i - 1) * gridStride;
    const double* row = heights + i * gridStride;
    const double* down = heights + (i + 1) * gridStride;
    for (int k = 0; k < rowCells; ++k) {
        const int j = k + 1;
        const double dRow = up[j] - down[j];
        const double dCol = row[j - 1] - row[j + 1];
        // The surface normal is the cross product of the tangents (1, 0, dRow) and (0, 1, dCol).
        const double mx = -dRow;
        const double my = -dCol;
        const double mz = 1.0;
        rays.mx[k] = mx;
        rays.my[k] = my;
        rays.length[k] = std::sqrt(mz * mz + my * my + mx * mx);
    }
    for (int k = 0; k < rowCells; ++k) {
        const double mz = 1.0;
        const double nz = mz / rays.length[k];
        rays.t[k] = floorDepth / nz;
    }
}

// Where each ray of grid row i meets the floor, clamped onto the pattern.
KERNEL_CLONES
void landRays(int i, RowRays& rays)
{
    for (int k = 0; k < rowCells; ++k) {
        const int j = k + 1;
        const double nx = rays.mx[k] / rays.length[k];
        const double ny = rays.my[k] / rays.length[k];
        rays.column[k] = onPattern(rays.t[k] * nx + 2 * i + patternOffset);
        rays.patternRow[k] = onPattern(rays.t[k] * ny + 2 * j + patternOffset);
    }
}

}

void buildLightPattern()
{
    causticTexture = new SoTexture2;
    unsigned char value = fullLight;
    for (int r = 0; r < patternSize; ++r) {
        // The toggle comes before the row it falls on, so the first stripe is one row short.
        if ((r + 1) % stripeHeight == 0) {
            value = fullLight - value;
        }
        unsigned char* pixel = lightPattern + r * patternSize * pixelBytes;
        for (int c = 0; c < patternSize; ++c, pixel += pixelBytes) {
            pixel[0] = value;
            pixel[1] = value;
            pixel[2] = value;
            pixel[3] = fullLight;
        }
    }
}

void updateCausticTexture()
{
    RowRays rays;
    for (int i = 1; i <= gridSize - 2; ++i) {
        traceNormals(i, rays);
        landRays(i, rays);
        // Read the light that lands there; truncation picks the texel the hit lies in.
        unsigned char* pixel = causticImage + ((gridSize - i) * gridSize + 1) * pixelBytes;
        for (int k = 0; k < rowCells; ++k) {
            const int a = static_cast<int>(rays.column[k]);
            const int b = static_cast<int>(rays.patternRow[k]);
            std::memcpy(pixel + k * pixelBytes, lightPattern + (b * patternSize + a) * pixelBytes, pixelBytes);
        }
    }
    causticTexture->image.setValue(SbVec2s(gridSize, gridSize), pixelBytes, causticImage, SoSFImage::COPY);
}
