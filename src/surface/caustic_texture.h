#pragma once

#include "config/build_config.h"

class SoTexture2;

// Side of the striped light pattern, in texels: two per grid cell.
constexpr int patternSize = 2 * gridSize;

// Rows per light or dark stripe of the pattern.
constexpr int stripeHeight = patternSize / 5;

// Shift of a cell's pattern coordinates, so the pool sits mid-pattern.
constexpr double patternOffset = gridSize / 2.0;

// Depth of the floor below the surface; how far a ray bends the light.
constexpr double floorDepth = 50.0;

// Bytes per pixel of both images: red, green, blue, alpha.
constexpr int pixelBytes = 4;

// Horizontal light and dark stripes, patternSize x patternSize RGBA pixels; written once.
extern unsigned char lightPattern[patternSize * patternSize * pixelBytes];

// The light that reaches the floor, gridSize x gridSize RGBA pixels; its outer ring is never written.
extern unsigned char causticImage[gridSize * gridSize * pixelBytes];

// The texture that shows causticImage on the slab below the water.
extern SoTexture2* causticTexture;

// Creates causticTexture and paints the stripes of lightPattern.
void buildLightPattern();

// Bends the light through the current surface onto the floor and hands the image to causticTexture.
void updateCausticTexture();
