#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <Inventor/SbLinear.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/actions/SoGetMatrixAction.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/VRMLnodes/SoVRMLAnchor.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoCylinder.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoSpotLight.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTransform.h>

#include "support/files.h"
#include "support/pool.h"
#include "scenery/spot_light.h"
#ifdef PELMORA_WITH_BASIN
#include "scenery/basin_scenery.h"
#include "scenery/walls.h"
#endif
#ifdef PELMORA_WITH_MODEL
#include "scenery/imported_model.h"
#endif

namespace {

#if defined(PELMORA_WITH_BASIN) || defined(PELMORA_WITH_MODEL)
// Angle of a transform's rotation, with its axis.
float rotationAngle(const SoTransform* transform, SbVec3f& axis)
{
    float angle = 0.0f;
    transform->rotation.getValue().getValue(axis, angle);
    return angle;
}
#endif

class Scenery : public ::testing::Test {
protected:
    void SetUp() override { initScene(); }
};

}

TEST_F(Scenery, SpotLightIsWarmAndKeepsItsUnnormalisedDirection)
{
    auto* parent = new SoSeparator;
    parent->ref();
    parent->addChild(new SoSeparator);
    addSpotLight(parent);
    ASSERT_EQ(parent->getNumChildren(), 2);
    const auto* light = childAs<SoSpotLight>(parent, 1);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->location.getValue(), SbVec3f(1.5f, 1.5f, 2.0f));
    EXPECT_EQ(light->direction.getValue(), SbVec3f(-2.0f, -2.0f, -2.0f));
    EXPECT_EQ(light->cutOffAngle.getValue(), 0.785375f);
    EXPECT_EQ(light->dropOffRate.getValue(), 0.9f);
    EXPECT_EQ(light->color.getValue(), SbColor(1.0f, 0.66f, 0.175f));
    EXPECT_TRUE(light->on.getValue());
    EXPECT_EQ(light->intensity.getValue(), 1.0f);
    parent->unref();
}

#ifdef PELMORA_WITH_BASIN

namespace {

// Where a shape's own origin lands once every transform before it in the scene has acted.
SbVec3f placedCentre(SoNode* root, SoNode* shape)
{
    SoSearchAction search;
    search.setNode(shape);
    search.setInterest(SoSearchAction::FIRST);
    search.apply(root);
    SoGetMatrixAction matrix{SbViewportRegion()};
    matrix.apply(search.getPath());
    SbVec3f centre;
    matrix.getMatrix().multVecMatrix(SbVec3f(0.0f, 0.0f, 0.0f), centre);
    return centre;
}

void expectNear(const SbVec3f& actual, const SbVec3f& expected, const char* what)
{
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(actual[axis], expected[axis], 1e-5f) << what << " axis " << axis << ": (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ")";
    }
}

}

TEST_F(Scenery, WallsShareOneTextureAcrossThreePieces)
{
    SoSeparator* walls = buildWalls();
    walls->ref();
    ASSERT_EQ(walls->getNumChildren(), 3);
    SoTexture2* texture = childAs<SoTexture2>(walls->getChild(0), 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->filename.getValue(), SbString("textures/wall.jpg"));
    const SbVec3f centres[] = {SbVec3f(-0.75f, -0.75f, 1.0f), SbVec3f(-1.0f, 0.0f, 1.0f), SbVec3f(0.0f, -1.0f, 1.0f)};
    const SbVec3f sizes[] = {SbVec3f(0.5f, 0.5f, 1.0f), SbVec3f(0.05f, 2.0f, 0.5f), SbVec3f(2.0f, 0.05f, 0.5f)};
    for (int n = 0; n < 3; ++n) {
        SoNode* piece = walls->getChild(n);
        ASSERT_NE(childAs<SoSeparator>(walls, n), nullptr);
        ASSERT_EQ(static_cast<SoGroup*>(piece)->getNumChildren(), 3);
        EXPECT_EQ(childAs<SoTexture2>(piece, 0), texture) << "piece " << n;
        const auto* place = childAs<SoTransform>(piece, 1);
        ASSERT_NE(place, nullptr);
        EXPECT_EQ(place->translation.getValue(), centres[n]) << "piece " << n;
        const auto* box = childAs<SoCube>(piece, 2);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(SbVec3f(box->width.getValue(), box->height.getValue(), box->depth.getValue()), sizes[n]) << "piece " << n;
    }
    // One node, so one change of its file name reaches every wall.
    texture->filename = "textures/other.jpg";
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(childAs<SoTexture2>(walls->getChild(n), 0)->filename.getValue(), SbString("textures/other.jpg"));
    }
    walls->unref();
}

TEST_F(Scenery, BasinHoldsAnchorRailAndSlabsInOrder)
{
    SoSeparator* basin = buildBasinScenery();
    basin->ref();
    ASSERT_EQ(basin->getNumChildren(), 3);
    const auto* anchor = childAs<SoVRMLAnchor>(basin, 0);
    ASSERT_NE(anchor, nullptr);
    EXPECT_EQ(anchor->getNumChildren(), 0);
    ASSERT_EQ(anchor->url.getNum(), 1);
    EXPECT_EQ(anchor->url[0], SbString("./3DModel/naqada_southtown.wrl"));
    EXPECT_NE(childAs<SoSeparator>(basin, 1), nullptr);
    EXPECT_NE(childAs<SoSeparator>(basin, 2), nullptr);
    basin->unref();
}

TEST_F(Scenery, SlabsAccumulateTheirMovesIntoThreePlaces)
{
    SoSeparator* basin = buildBasinScenery();
    basin->ref();
    SoNode* slabs = basin->getChild(2);
    ASSERT_EQ(static_cast<SoGroup*>(slabs)->getNumChildren(), 7);
    const auto* texture = childAs<SoTexture2>(slabs, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->filename.getValue(), SbString("./texture/boden1.jpg"));
    const SbVec3f centres[] = {SbVec3f(-1.6f, 0.0f, 1.0f), SbVec3f(0.0f, -1.6f, 1.0f), SbVec3f(-1.1f, -1.6f, 1.0f)};
    const SbVec3f sizes[] = {SbVec3f(1.0f, 2.2f, 0.5f), SbVec3f(2.0f, 1.0f, 0.5f), SbVec3f(2.0f, 1.0f, 0.5f)};
    for (int n = 0; n < 3; ++n) {
        ASSERT_NE(childAs<SoTransform>(slabs, 1 + 2 * n), nullptr) << "slab " << n;
        SoCube* slab = childAs<SoCube>(slabs, 2 + 2 * n);
        ASSERT_NE(slab, nullptr) << "slab " << n;
        EXPECT_EQ(SbVec3f(slab->width.getValue(), slab->height.getValue(), slab->depth.getValue()), sizes[n]) << "slab " << n;
        expectNear(placedCentre(basin, slab), centres[n], "slab");
    }
    basin->unref();
}

TEST_F(Scenery, RailRodsMeetAtTheBall)
{
    SoSeparator* basin = buildBasinScenery();
    basin->ref();
    SoNode* rail = basin->getChild(1);
    ASSERT_EQ(static_cast<SoGroup*>(rail)->getNumChildren(), 7);
    const auto* texture = childAs<SoTexture2>(rail, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->filename.getValue(), SbString("./texture/boden2.jpg"));
    SoCylinder* first = childAs<SoCylinder>(rail, 2);
    SoCylinder* second = childAs<SoCylinder>(rail, 4);
    SoSphere* ball = childAs<SoSphere>(rail, 6);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(first->radius.getValue(), 0.1f);
    EXPECT_EQ(first->height.getValue(), 2.2f);
    EXPECT_EQ(second->radius.getValue(), 0.1f);
    EXPECT_EQ(second->height.getValue(), 2.1f);
    EXPECT_EQ(ball->radius.getValue(), 0.1f);
    SbVec3f axis;
    EXPECT_EQ(rotationAngle(childAs<SoTransform>(rail, 3), axis), 1.5707963f);
    EXPECT_EQ(axis, SbVec3f(0.0f, 0.0f, 1.0f));
    expectNear(placedCentre(basin, first), SbVec3f(-1.1f, 0.0f, 1.2f), "first rod");
    expectNear(placedCentre(basin, second), SbVec3f(-0.05f, -1.1f, 1.2f), "second rod");
    expectNear(placedCentre(basin, ball), SbVec3f(-1.1f, -1.1f, 1.2f), "ball");
    basin->unref();
}

#endif

#ifdef PELMORA_WITH_MODEL

namespace {

// Runs the model loader in another folder, where the model file may be damaged or absent.
SoSeparator* loadModelIn(const std::string& folder)
{
    std::error_code error;
    const std::filesystem::path previous = std::filesystem::current_path(error);
    std::filesystem::current_path(folder, error);
    if (error) {
        return nullptr;
    }
    SoSeparator* imported = loadImportedModel();
    imported->ref();
    std::filesystem::current_path(previous, error);
    EXPECT_FALSE(error) << error.message();
    return imported;
}

void writeModel(const std::string& folder, const std::string& content)
{
    EXPECT_TRUE(std::filesystem::create_directory(folder + "/3DModel")) << "cannot make " << folder << "/3DModel";
    std::ofstream(folder + "/3DModel/julii.wrl", std::ios::binary) << content;
}

}

TEST_F(Scenery, ModelSeparatorHoldsTexturePlacingUprightAndModel)
{
    SoSeparator* imported = loadImportedModel();
    imported->ref();
    ASSERT_EQ(imported->getNumChildren(), 1);
    SoNode* model = imported->getChild(0);
    ASSERT_NE(childAs<SoSeparator>(imported, 0), nullptr);
    ASSERT_EQ(static_cast<SoGroup*>(model)->getNumChildren(), 4);
    const auto* texture = childAs<SoTexture2>(model, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->filename.getValue(), SbString("./texture/boden1.JPG"));
    const auto* placing = childAs<SoTransform>(model, 1);
    ASSERT_NE(placing, nullptr);
    EXPECT_EQ(placing->scaleFactor.getValue(), SbVec3f(0.04f, 0.04f, 0.06f));
    EXPECT_EQ(placing->translation.getValue(), SbVec3f(-0.73f, -0.73f, 0.8f));
    SbVec3f axis;
    EXPECT_NEAR(rotationAngle(placing, axis), 3.1415925f, 1e-6f);
    EXPECT_NEAR(axis[0], 1.0f, 1e-6f);
    const auto* upright = childAs<SoTransform>(model, 2);
    ASSERT_NE(upright, nullptr);
    // A turn by -1.5707963 about x is stored as +1.5707963 about -x.
    EXPECT_NEAR(rotationAngle(upright, axis), 1.5707963f, 1e-6f);
    EXPECT_NEAR(axis[0], -1.0f, 1e-6f);
    EXPECT_EQ(upright->scaleFactor.getValue(), SbVec3f(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(upright->translation.getValue(), SbVec3f(0.0f, 0.0f, 0.0f));
    EXPECT_NE(childAs<SoVRMLGroup>(model, 3), nullptr);
    imported->unref();
}

TEST_F(Scenery, ModelStandsOnTheCornerBlock)
{
    SoSeparator* imported = loadImportedModel();
    imported->ref();
    SoGetBoundingBoxAction bounds{SbViewportRegion(640, 480)};
    bounds.apply(imported);
    const SbBox3f box = bounds.getBoundingBox();
    ASSERT_FALSE(box.isEmpty());
    const SbVec3f low = box.getMin();
    const SbVec3f high = box.getMax();
    // The block's top face: x and y in -1 ... -0.5, at z = 1.5.
    EXPECT_NEAR(low[2], 1.5f, 0.01f);
    EXPECT_GT(high[2], 1.8f);
    EXPECT_GE(low[0], -1.0f);
    EXPECT_GE(low[1], -1.0f);
    EXPECT_LE(high[0], -0.5f);
    EXPECT_LE(high[1], -0.5f);
    imported->unref();
}

TEST_F(Scenery, UnreadableModelLeavesNoChildInItsPlace)
{
    const std::string noise(4096, '\x9b');
    const std::string cases[][2] = {{"empty", ""}, {"truncated", "#VRML V2.0 utf8\nTransform { children [ Shape { geometry Box { size 1 2"}, {"noise", noise}};
    for (const auto& damaged : cases) {
        const TemporaryFolder folder;
        writeModel(folder.path, damaged[1]);
        SoSeparator* imported = loadModelIn(folder.path);
        ASSERT_NE(imported, nullptr) << damaged[0];
        const auto* model = childAs<SoSeparator>(imported, 0);
        ASSERT_NE(model, nullptr) << damaged[0];
        EXPECT_EQ(model->getNumChildren(), 3) << damaged[0];
        imported->unref();
    }
    const TemporaryFolder empty;
    SoSeparator* imported = loadModelIn(empty.path);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(childAs<SoSeparator>(imported, 0)->getNumChildren(), 3);
    imported->unref();
}

#endif
