#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include <Inventor/SbVec2s.h>
#include <Inventor/nodes/SoTexture2.h>

#include "support/files.h"
#include "support/pool.h"

namespace {

// Every texture the builds read, relative to the data folder the tests run in.
const char* const texturePaths[] = {
    "./texture/water.jpg",
    "./texture/boden1.jpg",
    "./texture/boden2.jpg",
    "textures/wall.jpg",
    "./texture/boden1.JPG",
};

constexpr short textureSide = 256;
constexpr long largestTextureBytes = 64 * 1024;

}

TEST(DataFiles, EveryTextureLoadsAsASquarePowerOfTwoImage)
{
    initScene();
    for (const char* path : texturePaths) {
        auto* texture = new SoTexture2;
        texture->ref();
        // Loading goes through the scene library's image reader, as in the program.
        texture->filename = path;
        SbVec2s size;
        int components = 0;
        texture->image.getValue(size, components);
        EXPECT_EQ(size, SbVec2s(textureSide, textureSide)) << path << " is " << size[0] << " x " << size[1];
        EXPECT_EQ(components, 3) << path;
        texture->unref();
    }
}

TEST(DataFiles, TexturesStaySmall)
{
    for (const char* path : texturePaths) {
        struct stat status {};
        ASSERT_EQ(stat(path, &status), 0) << path << " is missing";
        EXPECT_LT(status.st_size, largestTextureBytes) << path;
    }
}

TEST(DataFiles, ModelTextureIsItsOwnFileBesideTheSlabTexture)
{
    const std::string slabs = fileBytes("./texture/boden1.jpg");
    const std::string model = fileBytes("./texture/boden1.JPG");
    ASSERT_FALSE(slabs.empty());
    ASSERT_FALSE(model.empty());
    EXPECT_NE(slabs, model);
}
