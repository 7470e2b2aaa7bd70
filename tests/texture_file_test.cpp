#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "scenery/texture_file.h"
#include "support/jpeg_header.h"

namespace {

struct ClaimedSize {
    unsigned width;
    unsigned height;
    bool taken;
};

// A camera photo is taken; the limit itself is taken; one pixel more on
// either side is not, nor a header that claims far more than the file holds.
const ClaimedSize claimedSizes[] = {
    {6000, 4000, true},
    {largestTextureSide, largestTextureSide, true},
    {largestTextureSide + 1, 16, false},
    {16, largestTextureSide + 1, false},
    {16000, 16000, false},
    {60000, 60000, false},
};

}

TEST(TextureFile, TakesAJpegUpToTheLargestSideFromItsHeaderAlone)
{
    const std::string path = ::testing::TempDir() + "pelmora-claimed-size.jpg";
    for (const ClaimedSize& claimed : claimedSizes) {
        const std::string bytes = jpegClaiming("./texture/water.jpg", claimed.width, claimed.height);
        ASSERT_FALSE(bytes.empty()) << "no frame header in ./texture/water.jpg";
        std::ofstream(path, std::ios::binary) << bytes;
        const std::string problem = textureFileProblem(path.c_str());
        EXPECT_EQ(problem.empty(), claimed.taken) << claimed.width << " x " << claimed.height << ": \"" << problem << "\"";
    }
    std::remove(path.c_str());
}

TEST(TextureFile, MissingFileIsLeftToTheImageReader)
{
    EXPECT_EQ(textureFileProblem("./texture/no-such-file.jpg"), "");
}
