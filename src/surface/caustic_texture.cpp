#include "surface/caustic_texture.h"

#include <cmath>

#include <Inventor/SbVec2s.h>
#include <Inventor/nodes/SoTexture2.h>

#include "sim/height_field.h"

unsigned char lightPattern[patternSize * patternSize * pixelBytes];
unsigned char causticImage[gridSize * gridSize * pixelBytes];
SoTexture2* causticTexture = nullptr;

namespace {

constexpr unsigned char fullLight = 255;

// Pattern texel for a ray's hit coordinate. Out-of-range hits, however wild the
// heights (even NaN), sample the nearest edge; the comparisons happen before
// the conversion so that no value outside int ever gets converted.
int patternTexel(double coordinate)
{
    if (coordinate >= patternSize) {
        return patternSize - 1;
    }
    if (coordinate > 0.0) {
        return static_cast<int>(coordinate);
    }
    return 0;
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
    for (int i = 1; i <= gridSize - 2; ++i) {
        const double* up = heights + (i - 1) * gridStride;
        const double* row = heights + i * gridStride;
        const double* down = heights + (i + 1) * gridStride;
        unsigned char* pixel = causticImage + ((gridSize - i) * gridSize + 1) * pixelBytes;
        for (int j = 1; j <= gridSize - 2; ++j, pixel += pixelBytes) {
            const double dRow = up[j] - down[j];
            const double dCol = row[j - 1] - row[j + 1];
            // The surface normal is the cross product of the tangents (1, 0, dRow) and (0, 1, dCol).
            const double mx = -dRow;
            const double my = -dCol;
            const double mz = 1.0;
            const double length = std::sqrt(mz * mz + my * my + mx * mx);
            const double nx = mx / length;
            const double ny = my / length;
            const double nz = mz / length;
            // Follow the normal down to the floor and read the light that lands there.
            const double t = floorDepth / nz;
            const int a = patternTexel(t * nx + 2 * i + patternOffset);
            const int b = patternTexel(t * ny + 2 * j + patternOffset);
            const unsigned char* source = lightPattern + (b * patternSize + a) * pixelBytes;
            pixel[0] = source[0];
            pixel[1] = source[1];
            pixel[2] = source[2];
            pixel[3] = source[3];
        }
    }
    causticTexture->image.setValue(SbVec2s(gridSize, gridSize), pixelBytes, causticImage, SoSFImage::COPY);
}
