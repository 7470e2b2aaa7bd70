#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <Inventor/nodes/SoTexture2.h>

#include "images/jpeg_file.h"
#include "support/jpeg_header.h"
#include "support/files.h"
#include "support/made_jpeg.h"
#include "support/pool.h"

namespace {

// A progressive image's reader keeps every coefficient, two bytes a sample.
struct ClaimedSize {
    bool progressive;
    unsigned width;
    unsigned height;
    unsigned decodedWidth;    // 0 when the image is refused
    unsigned decodedHeight;
};

// Within the texture's side an image decodes whole, as it is; past it, to
// power-of-two sides within it; past the largest side or the working memory
// it is refused. The data behind the header are a small image's, which
// libjpeg fills out.
const ClaimedSize claimedSizes[] = {
    {false, largestTextureSide, 100, largestTextureSide, 100},
    {false, largestTextureSide + 1, 100, largestTextureSide, 64},
    {false, 16320, 12240, largestTextureSide, largestTextureSide},
    {false, largestJpegSide, largestJpegSide, largestTextureSide, largestTextureSide},
    {false, largestJpegSide + 1, 16, 0, 0},
    {false, 16, largestJpegSide + 1, 0, 0},
    {false, 60000, 60000, 0, 0},
    {true, 8000, 6000, largestTextureSide, largestTextureSide},
    {true, 12000, 9000, 0, 0},
};

// Grey stays grey, inks become RGB, a large image keeps its colour reduced.
struct StoredColour {
    J_COLOR_SPACE stored;
    int components;
    short width;
    short textureWidth;
};

const StoredColour storedColours[] = {{JCS_YCbCr, 3, 24, 24}, {JCS_GRAYSCALE, 1, 24, 24}, {JCS_CMYK, 3, 24, 24}, {JCS_YCCK, 3, 2000, 1024}};

// A flat colour comes back within a few levels through the lossy coding.
constexpr int colourMargin = 3;

JpegPicture readBytes(std::string bytes)
{
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    JpegPicture picture = readJpegFile(file);
    std::fclose(file);
    return picture;
}

}

TEST(JpegFile, DecodesReducedWithinTheTextureSideAndRefusesPastTheLargestSideOrItsMemory)
{
    const TemporaryFolder folder;
    const std::string progressive = folder.path + "/progressive.jpg";
    std::ofstream(progressive, std::ios::binary) << flatJpeg(64, 64, {90, 90, 90}, JCS_YCbCr, true);
    for (const ClaimedSize& claimed : claimedSizes) {
        const JpegPicture picture =
            readBytes(jpegClaiming(claimed.progressive ? progressive : "./texture/water.jpg", claimed.width, claimed.height));
        const std::string size = std::to_string(claimed.width) + " x " + std::to_string(claimed.height) + ": " + picture.problem;
        EXPECT_EQ(picture.width, claimed.decodedWidth) << size;
        EXPECT_EQ(picture.height, claimed.decodedHeight) << size;
        EXPECT_EQ(picture.pixels.size(), 3u * claimed.decodedWidth * claimed.decodedHeight) << size;
        EXPECT_EQ(picture.problem.empty(), claimed.decodedWidth > 0) << size;
    }
    EXPECT_EQ(readBytes("not a JPEG").problem.rfind("not a JPEG image", 0), 0u);
}

// Through the scene library's image reading, as the programs load their textures.
TEST(JpegFile, EveryStoredColourSpaceLoadsAsItsColour)
{
    initScene();
    const Rgb colour = {200, 40, 90};
    const TemporaryFolder folder;
    for (const StoredColour& each : storedColours) {
        const std::string path = folder.path + "/" + std::to_string(each.stored) + ".jpg";
        std::ofstream(path, std::ios::binary) << flatJpeg(each.width, 16, colour, each.stored);
        auto* texture = new SoTexture2;
        texture->ref();
        texture->filename = path.c_str();
        SbVec2s size;
        int components = 0;
        const unsigned char* pixels = texture->image.getValue(size, components);
        EXPECT_EQ(size, SbVec2s(each.textureWidth, 16)) << "colour space " << each.stored;
        EXPECT_EQ(components, each.components) << "colour space " << each.stored;
        const int expected[] = {colour.red, colour.green, colour.blue};
        for (int channel = 0; channel < components && pixels != nullptr; ++channel) {
            EXPECT_NEAR(pixels[channel], expected[channel], colourMargin) << "colour space " << each.stored << ", channel " << channel;
        }
        texture->unref();
    }
}
