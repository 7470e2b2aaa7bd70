#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoSpotLight.h>
#include <Inventor/nodes/SoTexture2.h>

#include "support/pool.h"
#include "sim/height_field.h"
#include "sim/boundary_cells.h"
#include "sim/random_drops.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"

namespace {

class StartUp : public RunningPool {};

}

TEST_F(StartUp, RootHoldsLightWaterAndTheBuildsScenery)
{
    ASSERT_EQ(root->getNumChildren(), perBuild(5, 4, 2));
    EXPECT_NE(childAs<SoSpotLight>(root, 0), nullptr);
    SoSeparator* water = childAs<SoSeparator>(root, 1);
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(childAs<SoSeparator>(water, 0)->getChild(1), waterKit);
    for (int n = 2; n < root->getNumChildren(); ++n) {
        EXPECT_NE(childAs<SoSeparator>(root, n), nullptr) << "child " << n;
    }
}

TEST_F(StartUp, KitAndCausticTextureArePlacedInTheWater)
{
    ASSERT_NE(waterKit, nullptr);
    ASSERT_NE(causticTexture, nullptr);
    SoSeparator* water = childAs<SoSeparator>(childAs<SoSeparator>(root, 1), 0);
    EXPECT_EQ(water->findChild(waterKit), 1);
    EXPECT_EQ(water->findChild(causticTexture), 2);
}

TEST_F(StartUp, FirstCausticImageShowsTheRestingWaterWithOneDrop)
{
    SbVec2s size;
    int components = 0;
    const unsigned char* shown = causticTexture->image.getValue(size, components);
    ASSERT_EQ(size, SbVec2s(gridSize, gridSize));
    const std::vector<unsigned char> first(shown, shown + sizeof causticImage);

    // The same water rebuilt by hand: at rest, the first drop, the walls.
    clearBoundaryCells();
    fillGrid(heights, restHeight);
    addDrop(perBuild(12, 26, 54), 4, dropStrength(6334));
    applyBoundaryCells(heights);
    updateCausticTexture();
    EXPECT_EQ(std::memcmp(first.data(), causticImage, sizeof causticImage), 0);

    // And it differs from the picture of flat water.
    fillGrid(heights, restHeight);
    updateCausticTexture();
    EXPECT_NE(std::memcmp(first.data(), causticImage, sizeof causticImage), 0);
}

TEST_F(StartUp, SimulationStartsAtRestPlusTheFirstDrop)
{
    int disturbed = 0;
    for (int cell = 0; cell < gridCellCount; ++cell) {
        disturbed += heights[cell] != restHeight;
        ASSERT_EQ(velocities[cell], 0.0);
    }
    EXPECT_EQ(disturbed, 16);
    EXPECT_EQ(tickCount, 0);
    EXPECT_EQ(dropCountdown, 10);
}
