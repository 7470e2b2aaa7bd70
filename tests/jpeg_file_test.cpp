#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include <Inventor/SbImage.h>
#include <Inventor/nodes/SoTexture2.h>

#include "images/jpeg_file.h"
#include "platform/process.h"
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

// A picture stored as a camera turned in each Exif orientation would store
// it, blocks a to f, rows from the top; each stands as the first one, which
// has no Exif block. A block that breaks the rules leaves the picture as stored.
const std::pair<const char*, std::string> storedTurns[] = {
    {"abc/def", ""}, {"abc/def", exifBlock(1, false)}, {"cba/fed", exifBlock(2, true)}, {"fed/cba", exifBlock(3, false)},
    {"def/abc", exifBlock(4, true)}, {"ad/be/cf", exifBlock(5, false)}, {"cf/be/ad", exifBlock(6, true)},
    {"fc/eb/da", exifBlock(7, false)}, {"da/eb/fc", exifBlock(8, true)}, {"abc/def", exifBlock(9, false)},
    {"abc/def", exifBlock(6, true).substr(0, 25)}, {"abc/def", "Exif"},
};

constexpr int blockSide = 8;

// Each letter a flat block of its own grey, which decodes the same wherever it stands.
std::string blocksJpeg(const std::string& blocks, const std::string& exif)
{
    const int columns = static_cast<int>(blocks.find('/'));
    const int rows = static_cast<int>(blocks.size() + 1) / (columns + 1);
    std::vector<JSAMPLE> levels;
    for (int pixel = 0; pixel < rows * columns * blockSide * blockSide; ++pixel) {
        const int x = pixel % (columns * blockSide), y = pixel / (columns * blockSide);
        levels.push_back(static_cast<JSAMPLE>(20 + 40 * (blocks[y / blockSide * (columns + 1) + x / blockSide] - 'a')));
    }
    return flatJpeg(columns * blockSide, rows * blockSide, {}, JCS_GRAYSCALE, false, levels, exif);
}

// Read through a file, as the programs read theirs.
JpegPicture readBytes(const std::string& bytes)
{
    const TemporaryFolder folder;
    const std::string path = folder.path + "/picture.jpg";
    std::ofstream(path, std::ios::binary) << bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
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

TEST(JpegFile, EveryExifOrientationStandsAsTheUprightPicture)
{
    const JpegPicture upright = readBytes(blocksJpeg(storedTurns[0].first, ""));
    for (const auto& [blocks, exif] : storedTurns) {
        const JpegPicture picture = readBytes(blocksJpeg(blocks, exif));
        EXPECT_EQ(picture.width, 3u * blockSide) << blocks;
        EXPECT_TRUE(picture.pixels == upright.pixels) << blocks << ", Exif block of " << exif.size() << " bytes";
    }
}

// Cut short, flipped bits in its data, headers and no data: as a texture would meet them.
TEST(JpegFile, DamagedTextureIsDrawnAsFarAsItGoesOrLeftOutWithOneLine)
{
    initScene();
    const std::string water = fileBytes("texture/water.jpg");
    std::string flipped = water;
    std::transform(water.begin() + water.size() / 2, water.begin() + water.size() / 2 + 8, flipped.begin() + water.size() / 2,
                   [](char byte) { return static_cast<char>(~byte); });
    const std::size_t scan = water.find("\xFF\xDA") + 2;
    const std::pair<std::string, std::string> damaged[] = {
        {water.substr(0, water.size() / 2), "libjpeg warns: Premature end of JPEG file; drawn as far as it can be read"},
        {flipped, "libjpeg warns: Corrupt JPEG data: 81 extraneous bytes before marker 0xd9; drawn as far as it can be read"},
        {water.substr(0, scan + (static_cast<unsigned char>(water[scan]) << 8 | static_cast<unsigned char>(water[scan + 1]))),
            "a JPEG of headers without image data; left out"},
    };
    for (const auto& [bytes, says] : damaged) {
        const TemporaryFolder folder;
        const std::string path = folder.path + "/damaged.jpg";
        std::ofstream(path, std::ios::binary) << bytes;
        auto* texture = new SoTexture2;
        texture->ref();
        const std::string errors = standardErrorOf([&] { texture->filename = path.c_str(); });
        EXPECT_EQ(errors, std::string(programName()) + ": " + path + ": " + says + "\n");
        EXPECT_EQ(texture->image.getValue().getSize()[0] > 0, errors.find("left out") == std::string::npos) << says;
        texture->unref();
        std::remove(path.c_str());
    }
}
