#include "surface/water_surface.h"

#include <cassert>
#include <cstdint>

#include <Inventor/SbVec3f.h>
#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoIndexedTriangleStripSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoShapeHints.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinateEnvironment.h>
#include <Inventor/nodes/SoTransform.h>

#include "scenery/texture_file.h"
#include "sim/height_field.h"
#include "surface/caustic_texture.h"

SoShapeKit* waterKit = nullptr;
SbVec3f* surfaceVertices = nullptr;

namespace {

// Both slabs are thin squares as wide as the pool.
constexpr float slabSide = 2.0f;
constexpr float slabDepth = 0.01f;

// Angles as the scene has always had them, not computed from pi.
constexpr float quarterTurn = 1.5707963f;
constexpr float halfTurn = 3.1415925f;

// x or y of vertex line n: -1 ... +1 across the pool.
float vertexLine(int n)
{
    return static_cast<float>(2 * n * static_cast<double>(vertexSpacing) - 1);
}

// Mesh z of one height of the bordered grid.
float surfaceZ(double height)
{
    return static_cast<float>(height * surfaceHeightScale + surfaceLift);
}

SoCube* buildSlab()
{
    auto* slab = new SoCube;
    slab->depth = slabDepth;
    slab->width = slabSide;
    slab->height = slabSide;
    return slab;
}

}

SoSeparator* buildWaterSurface()
{
    auto* waterSeparator = new SoSeparator;

    delete[] surfaceVertices;
    surfaceVertices = new SbVec3f[surfaceVertexCount];
    auto* indices = new std::int32_t[surfaceIndexCount];

    for (int i = 0; i < gridSize; ++i) {
        for (int j = 0; j < gridSize; ++j) {
            surfaceVertices[i * gridSize + j].setValue(vertexLine(i), vertexLine(j), 0.0f);
        }
    }

    // One strip per pair of vertex rows, zig-zagging down the columns.
    int numIndices = 0;
    for (int t = 0; t < gridSize - 1; ++t) {
        for (int j = 0; j < gridSize; ++j) {
            indices[numIndices++] = t * gridSize + j;
            indices[numIndices++] = (t + 1) * gridSize + j;
        }
        indices[numIndices++] = -1;
    }
    [[maybe_unused]] const int k = surfaceIndexCount;
    assert(numIndices == k);

    auto* shapeHints = new SoShapeHints;
    shapeHints->vertexOrdering = SoShapeHints::COUNTERCLOCKWISE;
    shapeHints->creaseAngle = 1.0f;
    auto* normalBinding = new SoNormalBinding;
    normalBinding->value = SoNormalBinding::PER_VERTEX;
    auto* waterMaterial = new SoMaterial;
    waterMaterial->transparency = 0.5f;
    waterMaterial->shininess = 1.0f;
    auto* coordinateFunction = new SoTextureCoordinateEnvironment;
    auto* coordinates = new SoCoordinate3;
    coordinates->point.setValues(0, surfaceVertexCount, surfaceVertices);
    auto* strips = new SoIndexedTriangleStripSet;
    strips->coordIndex.setValues(0, surfaceIndexCount, indices);
    delete[] indices;

    waterKit->setPart("appearance.material", waterMaterial);
    waterKit->setPart("normalBinding", normalBinding);
    waterKit->setPart("shapeHints", shapeHints);
    waterKit->setPart("textureCoordinateFunction", coordinateFunction);
    waterKit->setPart("coordinate3", coordinates);
    waterKit->setPart("shape", strips);

    auto* waterTexture = new SoTexture2;
    setTextureFile(waterTexture, "./texture/water.jpg");
    waterSeparator->addChild(waterTexture);
    waterSeparator->addChild(waterKit);

    updateCausticTexture();
    waterSeparator->addChild(causticTexture);

    SoCube* causticSlab = buildSlab();
    auto* transformA = new SoTransform;
    transformA->translation.setValue(0.0f, 0.0f, 0.9f);
    transformA->rotation.setValue(SbVec3f(0.0f, 0.0f, 1.0f), quarterTurn);
    auto* transformB = new SoTransform;
    transformB->rotation.setValue(SbVec3f(0.0f, 1.0f, 0.0f), halfTurn);
    SoCube* tintSlab = buildSlab();
    waterSeparator->addChild(transformA);
    waterSeparator->addChild(transformB);
    waterSeparator->addChild(causticSlab);

    auto* tintSeparator = new SoSeparator;
    auto* tintMaterial = new SoMaterial;
    const SbColor paleBlue(0.5f, 0.5f, 1.0f);
    tintMaterial->transparency = 0.75f;
    tintMaterial->ambientColor = paleBlue;
    tintMaterial->diffuseColor = paleBlue;
    tintMaterial->specularColor = paleBlue;
    tintMaterial->shininess = 0.5f;
    auto* tintTransform = new SoTransform;
    tintTransform->translation.setValue(0.0f, 0.0f, 1.05f);
    tintSeparator->addChild(tintMaterial);
    tintSeparator->addChild(tintTransform);
    tintSeparator->addChild(tintSlab);

    auto* waterGroup = new SoSeparator;
    waterGroup->addChild(waterSeparator);
    waterGroup->addChild(tintSeparator);
    return waterGroup;
}

void updateSurfaceCoordinates()
{
    auto* coordinates = static_cast<SoCoordinate3*>(waterKit->getPart("coordinate3", TRUE));
    if (coordinates == nullptr) {
        return;
    }
    // The build laid out x and y and nothing moves them since, so a refresh writes z alone.
    for (int i = 0; i < gridSize; ++i) {
        const double* row = heights + i * gridStride;
        SbVec3f* vertex = surfaceVertices + i * gridSize;
        for (int j = 0; j < gridSize; ++j) {
            vertex[j][2] = surfaceZ(row[j]);
        }
    }
    coordinates->point.setValues(0, surfaceVertexCount, surfaceVertices);
}
