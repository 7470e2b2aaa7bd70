#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <Inventor/nodes/SoTexture2.h>

#include "support/pool.h"
#include "sim/height_field.h"
#include "surface/caustic_texture.h"

namespace {

constexpr int N = gridSize;
constexpr int P = patternSize;

bool lightRow(int r)
{
    return lightPattern[r * P * pixelBytes] == 255;
}

// Pixel of the caustic image at image row and column.
const unsigned char* imagePixel(int row, int column)
{
    return causticImage + (row * N + column) * pixelBytes;
}

void flatWater()
{
    fillGrid(heights, restHeight);
}

// Tags every pattern texel with its column in red and its row in green, so
// that an image pixel tells which texel it was copied from.
void tagPattern()
{
    for (int r = 0; r < P; ++r) {
        for (int c = 0; c < P; ++c) {
            unsigned char* texel = lightPattern + (r * P + c) * pixelBytes;
            texel[0] = static_cast<unsigned char>(c);
            texel[1] = static_cast<unsigned char>(r);
        }
    }
}

// Column (red) and row (green) of the pattern texel behind an image pixel.
int texelColumn(int row, int column) { return imagePixel(row, column)[0]; }
int texelRow(int row, int column) { return imagePixel(row, column)[1]; }

class Caustic : public ::testing::Test {
protected:
    void SetUp() override
    {
        initScene();
        std::memset(causticImage, 0, sizeof causticImage);
        buildLightPattern();
        causticTexture->ref();
    }
    void TearDown() override { causticTexture->unref(); }
};

struct Band {
    int first;
    int last;
    bool light;
};

}

TEST_F(Caustic, PatternHasTheBuildsStripes)
{
    // Light rows; every other row is dark.
    const std::vector<Band> bands = perBuild<std::vector<Band>>(
        {{0, 8, true}, {9, 18, false}, {19, 28, true}, {29, 38, false}, {39, 48, true}, {49, 49, false}},
        {{0, 18, true}, {19, 38, false}, {39, 58, true}, {59, 78, false}, {79, 98, true}, {99, 99, false}},
        {{0, 38, true}, {39, 78, false}, {79, 118, true}, {119, 158, false}, {159, 198, true}, {199, 199, false}});
    for (const Band& band : bands) {
        for (int r = band.first; r <= band.last; ++r) {
            EXPECT_EQ(lightRow(r), band.light) << "pattern row " << r;
        }
    }
    EXPECT_EQ(bands.back().last, P - 1);
}

TEST_F(Caustic, PatternStripesRunTheFullWidthAndAreOpaque)
{
    for (int r = 0; r < P; ++r) {
        const unsigned char* first = lightPattern + r * P * pixelBytes;
        for (int c = 0; c < P; ++c) {
            const unsigned char* texel = first + c * pixelBytes;
            ASSERT_EQ(texel[0], first[0]) << r << ", " << c;
            ASSERT_EQ(texel[1], first[0]) << r << ", " << c;
            ASSERT_EQ(texel[2], first[0]) << r << ", " << c;
            ASSERT_EQ(texel[3], 255) << r << ", " << c;
        }
    }
}

TEST_F(Caustic, FlatWaterShowsTheBuildsBands)
{
    flatWater();
    updateCausticTexture();
    const std::vector<Band> bands = perBuild<std::vector<Band>>(
        {{1, 3, false}, {4, 8, true}, {9, 13, false}, {14, 18, true}, {19, 23, false}},
        {{1, 6, false}, {7, 16, true}, {17, 26, false}, {27, 36, true}, {37, 48, false}},
        {{1, 14, false}, {15, 34, true}, {35, 54, false}, {55, 74, true}, {75, 98, false}});
    EXPECT_EQ(bands.back().last, N - 2);
    for (const Band& band : bands) {
        for (int j = band.first; j <= band.last; ++j) {
            for (int i = 1; i <= N - 2; ++i) {
                const unsigned char* pixel = imagePixel(N - i, j);
                ASSERT_EQ(pixel[0], band.light ? 255 : 0) << "grid row " << i << ", column " << j;
                ASSERT_EQ(pixel[3], 255) << "grid row " << i << ", column " << j;
            }
        }
    }
}

TEST_F(Caustic, FlatWaterReadsTexelsTwoPerCellAndClampsTheLastRows)
{
    tagPattern();
    flatWater();
    updateCausticTexture();
    const int firstClamped = perBuild(19, 38, 75);
    for (int i = 1; i <= N - 2; ++i) {
        for (int j = 1; j <= N - 2; ++j) {
            const int a = std::min(2 * i + N / 2, P - 1);
            const int b = std::min(2 * j + N / 2, P - 1);
            ASSERT_EQ(texelColumn(N - i, j), a) << "grid row " << i << ", column " << j;
            ASSERT_EQ(texelRow(N - i, j), b) << "grid row " << i << ", column " << j;
        }
        EXPECT_EQ(2 * i + N / 2 >= P, i >= firstClamped) << "grid row " << i;
    }
}

TEST_F(Caustic, SlopesShiftTheLookupFiftyTexelsPerUnit)
{
    tagPattern();
    flatWater();
    // Across grid column 5 the surface falls by 0.105: the light lands 5.25 texels lower.
    const int i = N / 2;
    cellOf(heights, i, 4) = restHeight + 0.0525;
    cellOf(heights, i, 6) = restHeight - 0.0525;
    // Down the rows at grid column 9 it rises by 0.105: 5.25 texels further.
    cellOf(heights, i - 1, 9) = restHeight - 0.0525;
    cellOf(heights, i + 1, 9) = restHeight + 0.0525;
    updateCausticTexture();
    EXPECT_EQ(texelRow(N - i, 5), static_cast<int>(2 * 5 + N / 2.0 - 5.25));
    EXPECT_EQ(texelColumn(N - i, 5), std::min(static_cast<int>(2 * i + N / 2.0), P - 1));
    EXPECT_EQ(texelColumn(N - i, 9), std::min(static_cast<int>(2 * i + N / 2.0 + 5.25), P - 1));
    EXPECT_EQ(texelRow(N - i, 9), 2 * 9 + N / 2);
}

TEST_F(Caustic, SteepSlopesSampleTheEdgeOfThePattern)
{
    tagPattern();
    flatWater();
    const int i = N / 2;
    cellOf(heights, i, 3) = 1.0e6;
    cellOf(heights, i - 1, 7) = -1.0e6;
    cellOf(heights, i, 9) = 1.0e6;
    updateCausticTexture();
    EXPECT_EQ(texelRow(N - i, 4), 0);
    EXPECT_EQ(texelRow(N - i, 2), P - 1);
    EXPECT_EQ(texelColumn(N - i, 7), P - 1);
    EXPECT_EQ(texelColumn(N - (i - 2), 7), 0);
}

TEST_F(Caustic, WildHeightsStillReadInsideThePattern)
{
    tagPattern();
    const double wild[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), 1e300, -1e300, std::numeric_limits<double>::max()};
    for (double value : wild) {
        flatWater();
        for (int cell = 0; cell < gridCellCount; cell += 3) {
            heights[cell] = value;
        }
        updateCausticTexture();
        for (int i = 1; i <= N - 2; ++i) {
            for (int j = 1; j <= N - 2; ++j) {
                ASSERT_LT(texelColumn(N - i, j), P) << value;
                ASSERT_LT(texelRow(N - i, j), P) << value;
            }
        }
    }
}

TEST_F(Caustic, OuterRingOfTheImageIsNeverWritten)
{
    for (int pass = 0; pass < 3; ++pass) {
        for (int cell = 0; cell < gridCellCount; ++cell) {
            heights[cell] = restHeight + std::sin(cell * 0.37 + pass) * 0.2;
        }
        updateCausticTexture();
    }
    for (int row = 0; row < N; ++row) {
        for (int column = 0; column < N; ++column) {
            const bool written = row >= 2 && row <= N - 1 && column >= 1 && column <= N - 2;
            const unsigned char* pixel = imagePixel(row, column);
            if (written) {
                ASSERT_EQ(pixel[3], 255) << row << ", " << column;
            } else {
                for (int byte = 0; byte < pixelBytes; ++byte) {
                    ASSERT_EQ(pixel[byte], 0) << row << ", " << column;
                }
            }
        }
    }
}

TEST_F(Caustic, LastInteriorAndFarBorderLinesNeverChangeTheImage)
{
    flatWater();
    updateCausticTexture();
    const std::vector<unsigned char> before(causticImage, causticImage + sizeof causticImage);
    for (int k = 0; k <= N + 1; ++k) {
        cellOf(heights, N, k) = 99.0;
        cellOf(heights, k, N) = -99.0;
        cellOf(heights, N + 1, k) = 42.0;
        cellOf(heights, k, N + 1) = -42.0;
    }
    updateCausticTexture();
    EXPECT_EQ(std::memcmp(before.data(), causticImage, sizeof causticImage), 0);
}

TEST_F(Caustic, TextureHoldsACopyOfEachUpdate)
{
    flatWater();
    updateCausticTexture();
    SbVec2s size;
    int components = 0;
    const unsigned char* pixels = causticTexture->image.getValue(size, components);
    EXPECT_EQ(size, SbVec2s(N, N));
    EXPECT_EQ(components, 4);
    ASSERT_NE(pixels, causticImage);
    EXPECT_EQ(std::memcmp(pixels, causticImage, sizeof causticImage), 0);

    cellOf(heights, N / 2, N / 2) = restHeight + 0.3;
    updateCausticTexture();
    pixels = causticTexture->image.getValue(size, components);
    EXPECT_EQ(std::memcmp(pixels, causticImage, sizeof causticImage), 0);

    // Later changes to the image do not reach the texture until the next update.
    causticImage[(N / 2 * N + N / 2) * pixelBytes] ^= 0xFF;
    pixels = causticTexture->image.getValue(size, components);
    EXPECT_NE(std::memcmp(pixels, causticImage, sizeof causticImage), 0);
}
