#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include <sstream>
#include <string>

#include <X11/Xlib.h>

#include "config/build_config.h"
#include "support/files.h"
#include "support/made_jpeg.h"
#include "support/pictures.h"
#include "support/program_window.h"
#include "support/render_view.h"
#include "support/waiting.h"

namespace {

// How far pelmora-render's picture at tick 300 may stray from the live
// viewer's render area at the same size: share of pixels that differ at
// all, and the largest difference of one channel. Measured on Mesa 22.3's
// software rasteriser (EGL for the renderer, GLX on Xvfb for the viewer)
// at the viewer's 440 x 360: 25 gives 106 pixels (0.067 %) off by at most 1,
// 50 gives 155 (0.098 %) off by 1, 100 gives 39 (0.025 %) off by up to 7;
// then given a small margin.
struct Tolerance {
    int build;
    double share;
    int channel;
};
const Tolerance tolerances[] = {{25, 0.001, 2}, {50, 0.0015, 2}, {100, 0.0005, 10}};

// Longest wait for the viewer to reach tick 300 and draw it.
constexpr double reportSeconds = 120.0;

// A patch of open water, clear of walls, block and the first drops.
const WorldPatch bareWater = {0.1f, 0.1f, 0.8f, 0.8f, 1.125f};

// Our own data folder, or one made in the given folder with files of the
// kinds other programs write: flat inks in Adobe's CMYK and YCCK, which the
// window and pelmora-render must decode alike, and not as white, and a model
// holding a viewpoint, which would take the viewer's camera into the corner block.
std::string dataFolder(bool others, const std::string& folder)
{
    if (!others) {
        return PELMORA_DATA_DIR;
    }
    linkData(PELMORA_DATA_DIR, folder);
    const Rgb waterInk = {150, 40, 30};
    const Rgb slabInk = {60, 120, 40};
    const std::pair<const char*, J_COLOR_SPACE> replaced[] = {{"/texture/water.jpg", JCS_CMYK}, {"/texture/boden1.jpg", JCS_YCCK},
                                                              {"/texture/boden2.jpg", JCS_CMYK}, {"/textures/wall.jpg", JCS_YCCK}};
    for (const auto& [path, stored] : replaced) {
        std::filesystem::remove(folder + path);
        std::ofstream(folder + path, std::ios::binary) << flatJpeg(256, 256, path == replaced[0].first ? waterInk : slabInk, stored);
    }
    std::filesystem::remove(folder + "/3DModel/julii.wrl");
    std::ofstream(folder + "/3DModel/julii.wrl") << fileBytes(std::string(PELMORA_DATA_DIR) + "/3DModel/julii.wrl")
                                                  << "\nViewpoint { position 0 0 0.1 }\n";
    return folder;
}

// The others' files are read by the same code in every build: tried on the fullest.
#ifdef PELMORA_WITH_MODEL
const bool othersFiles[] = {false, true};
#else
const bool othersFiles[] = {false};
#endif

int largestChannelDifference(const Picture& one, const Picture& other)
{
    int largest = 0;
    for (std::size_t n = 0; n < one.rgb.size(); ++n) {
        largest = std::max(largest, std::abs(one.rgb[n] - other.rgb[n]));
    }
    return largest;
}

}

class ViewerMatch : public ::testing::TestWithParam<bool> {};

TEST_P(ViewerMatch, RendererPictureMatchesTheLiveViewerAtTick300)
{
    const TemporaryFolder others;
    const std::string data = dataFolder(GetParam(), others.path);
    const Tolerance* tolerance = nullptr;
    for (const Tolerance& each : tolerances) {
        tolerance = each.build == gridSize ? &each : tolerance;
    }
    ASSERT_NE(tolerance, nullptr);
    Launch harness;
    harness.arguments = {PELMORA_VIEWER_AT_TICK};
    harness.directory = data;
    harness.display = testDisplay();
    harness.output = Output::kept;
    unsigned long window = 0;
    int width = 0;
    int height = 0;
    Picture live;
    {
        const DisplayConnection display = openDisplay(testDisplay());
        ASSERT_NE(display, nullptr) << "cannot open the test display " << testDisplay();
        Child viewer(harness);
        // One line, "WINDOW WIDTH HEIGHT", once the viewer has drawn tick 300.
        waitUntil([&] { return viewer.output().find('\n') != std::string::npos; }, reportSeconds);
        std::istringstream line(viewer.output());
        line >> window >> width >> height;
        live = line ? grabWindow(display.get(), window) : Picture();
    }
    ASSERT_GT(width, 0) << "the viewer did not report its window";
    ASSERT_EQ(live.width * live.height, width * height) << "the viewer's window could not be grabbed";

    const TemporaryFolder frames;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    Launch renderer;
    renderer.arguments = {PELMORA_RENDER_PROGRAM, "--build=" + std::to_string(gridSize), "--ticks=300", "--size=" + size,
                          "--output=" + frames.path + "/{tick}.png", "--data=" + data};
    const ProgramRun run = runProgram(renderer);
    Picture rendered;
    const bool read = readPicture(frames.path + "/000300.png", rendered);
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_TRUE(read);
    ASSERT_EQ(rendered.width * rendered.height, width * height);

    const double share = static_cast<double>(differingPixels(live, rendered, wholePicture(live))) / (width * height);
    EXPECT_LE(share, tolerance->share) << "share of differing pixels at " << size;
    EXPECT_LE(largestChannelDifference(live, rendered), tolerance->channel) << "largest channel difference at "
                                                                             << size;
    // Decoded in both, not white in both: the water shows its red ink through the blue tint.
    const MeanColour water = meanColour(rendered, patchOnPicture(bareWater, width, height));
    EXPECT_EQ(water.red > water.blue, GetParam()) << describe(water);
}

INSTANTIATE_TEST_SUITE_P(EachData, ViewerMatch, ::testing::ValuesIn(othersFiles),
    [](const ::testing::TestParamInfo<bool>& param) {
        return std::string(param.param ? "CmykAndYcckTexturesAndAModelWithAViewpoint" : "OwnData");
    });
