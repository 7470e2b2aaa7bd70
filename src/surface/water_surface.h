#pragma once

#include "config/build_config.h"

class SbVec3f;
class SoSeparator;
class SoShapeKit;

// Vertices of the water mesh: one per cell of rows and columns 0 ... gridSize - 1 of the bordered grid.
constexpr int surfaceVertexCount = gridSize * gridSize;

// Entries of the strip index list: gridSize - 1 strips of 2 * gridSize indices, each closed by -1.
constexpr int surfaceIndexCount = (gridSize - 1) * (2 * gridSize + 1);

// Distance between two vertex lines, held in single precision: 1 / (gridSize - 1).
constexpr float vertexSpacing = 1.0f / (gridSize - 1);

// Scale of a height onto the mesh's z, and the lift added after it.
constexpr double surfaceHeightScale = 0.1;
constexpr double surfaceLift = 0.125;

// The water's shape kit; created empty by start-up, its parts set by buildWaterSurface.
extern SoShapeKit* waterKit;

// Staging buffer for the mesh's coordinates, reused by every refresh.
extern SbVec3f* surfaceVertices;

// Builds the water: the textured mesh in waterKit, the caustic slab and the tint slab.
SoSeparator* buildWaterSurface();

// Lifts every mesh vertex to the height of its cell and hands the coordinates to the scene.
void updateSurfaceCoordinates();
