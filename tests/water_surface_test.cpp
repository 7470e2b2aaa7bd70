#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoIndexedTriangleStripSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoNormalBinding.h>
#include <Inventor/nodes/SoShapeHints.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinateEnvironment.h>
#include <Inventor/nodes/SoTransform.h>

#include "support/pool.h"
#include "sim/height_field.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"

namespace {

constexpr int N = gridSize;

// Mesh vertex at row i, column j, as the scene holds it.
SbVec3f meshVertex(int i, int j)
{
    return meshCoordinates()->point[i * N + j];
}

class WaterSurface : public RunningPool {
protected:
    SoSeparator* waterGroup() { return childAs<SoSeparator>(root, 1); }
};

}

TEST_F(WaterSurface, StripIndicesHaveTheBuildsCount)
{
    const auto* strips = static_cast<SoIndexedTriangleStripSet*>(waterKit->getPart("shape", FALSE));
    ASSERT_NE(strips, nullptr);
    const int k = strips->coordIndex.getNum();
    EXPECT_EQ(k, perBuild(1224, 4949, 19899));
    const int32_t* index = strips->coordIndex.getValues(0);
    EXPECT_EQ(std::count(index, index + k, -1), N - 1);
    EXPECT_EQ(*std::max_element(index, index + k), N * N - 1);
    EXPECT_EQ(index[k - 1], -1);
}

TEST_F(WaterSurface, StripsZigZagBetweenNeighbouringVertexRows)
{
    const auto* strips = static_cast<SoIndexedTriangleStripSet*>(waterKit->getPart("shape", FALSE));
    const int32_t* index = strips->coordIndex.getValues(0);
    int n = 0;
    for (int t = 0; t < N - 1; ++t) {
        for (int j = 0; j < N; ++j) {
            ASSERT_EQ(index[n++], t * N + j) << "strip " << t << ", column " << j;
            ASSERT_EQ(index[n++], (t + 1) * N + j) << "strip " << t << ", column " << j;
        }
        ASSERT_EQ(index[n++], -1) << "end of strip " << t;
    }
    if (N == 25) {
        const int begins[] = {0, 25, 1, 26};
        EXPECT_TRUE(std::equal(begins, begins + 4, index));
        EXPECT_EQ(index[48], 24);
        EXPECT_EQ(index[49], 49);
        EXPECT_EQ(index[50], -1);
        EXPECT_EQ(index[51], 25);
        EXPECT_EQ(index[52], 50);
        EXPECT_EQ(index[1221], 599);
        EXPECT_EQ(index[1222], 624);
        EXPECT_EQ(index[1223], -1);
    }
}

TEST_F(WaterSurface, LiesFlatAtZeroBeforeTheFirstRefresh)
{
    ASSERT_EQ(meshCoordinates()->point.getNum(), N * N);
    for (int v = 0; v < N * N; ++v) {
        ASSERT_EQ(meshCoordinates()->point[v][2], 0.0f) << "vertex " << v;
    }
}

TEST_F(WaterSurface, CornerVerticesSpanMinusOneToOne)
{
    EXPECT_EQ(meshVertex(0, 0), SbVec3f(-1.0f, -1.0f, 0.0f));
    EXPECT_FLOAT_EQ(meshVertex(N - 1, N - 1)[0], 1.0f);
    EXPECT_FLOAT_EQ(meshVertex(N - 1, N - 1)[1], 1.0f);
    EXPECT_EQ(meshVertex(0, N - 1)[0], -1.0f);
    EXPECT_FLOAT_EQ(meshVertex(0, N - 1)[1], 1.0f);
    EXPECT_NEAR(meshVertex(1, 0)[0] - meshVertex(0, 0)[0], 2.0 / (N - 1), 1e-6);
}

TEST_F(WaterSurface, SpacingIsHeldInSinglePrecision)
{
    EXPECT_EQ(vertexSpacing, perBuild(0.0416666679084301f, 0.020408162847161293f, 0.010101010091602802f));
    EXPECT_EQ(meshVertex(1, 0)[0], static_cast<float>(2 * static_cast<double>(vertexSpacing) - 1));
}

TEST_F(WaterSurface, RefreshLiftsRestingWaterToOnePointOneTwoFive)
{
    fillGrid(heights, restHeight);
    cellOf(heights, 3, 4) = 0.0;
    updateSurfaceCoordinates();
    for (int i = 0; i < N; ++i) {
        for (int j = 0; j < N; ++j) {
            ASSERT_EQ(meshVertex(i, j)[2], (i == 3 && j == 4) ? 0.125f : 1.125f) << "vertex " << i << ", " << j;
        }
    }
}

TEST_F(WaterSurface, VerticesFollowTheBorderedGridFromItsCornerCell)
{
    fillGrid(heights, restHeight);
    cellOf(heights, 0, 0) = 20.0;
    cellOf(heights, N - 1, N - 1) = 30.0;
    for (int k = 0; k <= N + 1; ++k) {
        cellOf(heights, N, k) = 40.0;
        cellOf(heights, k, N) = 40.0;
    }
    updateSurfaceCoordinates();
    EXPECT_FLOAT_EQ(meshVertex(0, 0)[2], 2.125f);
    EXPECT_FLOAT_EQ(meshVertex(N - 1, N - 1)[2], 3.125f);
    for (int v = 0; v < N * N; ++v) {
        ASSERT_NE(meshCoordinates()->point[v][2], static_cast<float>(40.0 * 0.1 + 0.125)) << "vertex " << v;
    }
}

TEST_F(WaterSurface, RefreshKeepsTheVertexGridInPlace)
{
    const std::vector<SbVec3f> built(meshCoordinates()->point.getValues(0), meshCoordinates()->point.getValues(0) + N * N);
    updateSurfaceCoordinates();
    for (int v = 0; v < N * N; ++v) {
        ASSERT_EQ(meshCoordinates()->point[v][0], built[v][0]);
        ASSERT_EQ(meshCoordinates()->point[v][1], built[v][1]);
    }
}

TEST_F(WaterSurface, KitHoldsTheWatersParts)
{
    const auto* material = static_cast<SoMaterial*>(waterKit->getPart("appearance.material", FALSE));
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->transparency[0], 0.5f);
    EXPECT_EQ(material->shininess[0], 1.0f);
    const auto* binding = static_cast<SoNormalBinding*>(waterKit->getPart("normalBinding", FALSE));
    ASSERT_NE(binding, nullptr);
    EXPECT_EQ(binding->value.getValue(), SoNormalBinding::PER_VERTEX);
    const auto* hints = static_cast<SoShapeHints*>(waterKit->getPart("shapeHints", FALSE));
    ASSERT_NE(hints, nullptr);
    EXPECT_EQ(hints->vertexOrdering.getValue(), SoShapeHints::COUNTERCLOCKWISE);
    EXPECT_EQ(hints->creaseAngle.getValue(), 1.0f);
    SoNode* function = waterKit->getPart("textureCoordinateFunction", FALSE);
    ASSERT_NE(function, nullptr);
    EXPECT_TRUE(function->isOfType(SoTextureCoordinateEnvironment::getClassTypeId()));
    SoNode* shape = waterKit->getPart("shape", FALSE);
    ASSERT_NE(shape, nullptr);
    EXPECT_TRUE(shape->isOfType(SoIndexedTriangleStripSet::getClassTypeId()));
}

TEST_F(WaterSurface, WaterSeparatorHoldsTexturesKitAndCausticSlabInOrder)
{
    SoSeparator* group = waterGroup();
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->getNumChildren(), 2);
    SoSeparator* water = childAs<SoSeparator>(group, 0);
    ASSERT_NE(water, nullptr);
    ASSERT_EQ(water->getNumChildren(), 6);

    const auto* waterTexture = childAs<SoTexture2>(water, 0);
    ASSERT_NE(waterTexture, nullptr);
    EXPECT_EQ(waterTexture->filename.getValue(), SbString("./texture/water.jpg"));
    EXPECT_EQ(water->getChild(1), waterKit);
    EXPECT_EQ(water->getChild(2), causticTexture);

    const auto* a = childAs<SoTransform>(water, 3);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->translation.getValue(), SbVec3f(0.0f, 0.0f, 0.9f));
    SbVec3f axis;
    float angle = 0.0f;
    a->rotation.getValue().getValue(axis, angle);
    EXPECT_NEAR(angle, 1.5707963f, 1e-6f);
    EXPECT_NEAR(axis[2], 1.0f, 1e-6f);

    const auto* b = childAs<SoTransform>(water, 4);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->translation.getValue(), SbVec3f(0.0f, 0.0f, 0.0f));
    b->rotation.getValue().getValue(axis, angle);
    EXPECT_NEAR(angle, 3.1415925f, 1e-5f);
    EXPECT_NEAR(axis[1], 1.0f, 1e-5f);

    const auto* slab = childAs<SoCube>(water, 5);
    ASSERT_NE(slab, nullptr);
    EXPECT_EQ(slab->width.getValue(), 2.0f);
    EXPECT_EQ(slab->height.getValue(), 2.0f);
    EXPECT_EQ(slab->depth.getValue(), 0.01f);
}

TEST_F(WaterSurface, TintSeparatorHoldsMaterialTransformAndSlabInOrder)
{
    SoSeparator* tint = childAs<SoSeparator>(waterGroup(), 1);
    ASSERT_NE(tint, nullptr);
    ASSERT_EQ(tint->getNumChildren(), 3);
    const auto* material = childAs<SoMaterial>(tint, 0);
    ASSERT_NE(material, nullptr);
    const SbColor paleBlue(0.5f, 0.5f, 1.0f);
    EXPECT_EQ(material->ambientColor[0], paleBlue);
    EXPECT_EQ(material->diffuseColor[0], paleBlue);
    EXPECT_EQ(material->specularColor[0], paleBlue);
    EXPECT_EQ(material->shininess[0], 0.5f);
    EXPECT_EQ(material->transparency[0], 0.75f);
    const auto* place = childAs<SoTransform>(tint, 1);
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->translation.getValue(), SbVec3f(0.0f, 0.0f, 1.05f));
    const auto* slab = childAs<SoCube>(tint, 2);
    ASSERT_NE(slab, nullptr);
    EXPECT_EQ(slab->width.getValue(), 2.0f);
    EXPECT_EQ(slab->height.getValue(), 2.0f);
    EXPECT_EQ(slab->depth.getValue(), 0.01f);
}

TEST_F(WaterSurface, RebuildingReplacesTheStagingBuffer)
{
    SoSeparator* again = buildWaterSurface();
    again->ref();
    ASSERT_NE(surfaceVertices, nullptr);
    EXPECT_EQ(meshCoordinates()->point.getNum(), N * N);
    again->unref();
}
