#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <unistd.h>

#include <X11/Xlib.h>

#include "config/build_config.h"
#include "support/made_jpeg.h"
#include "support/pictures.h"
#include "support/pool.h"
#include "support/program_window.h"
#include "support/render_view.h"
#include "support/x_display.h"

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

// The data the pictures are made from: our own, or files of the kinds that
// other programs write in place of ours.
struct DataCase {
    const char* name;
    std::string (*folder)();
};

// A patch of open water, clear of walls, block and the first drops.
const WorldPatch bareWater = {0.1f, 0.1f, 0.8f, 0.8f, 1.125f};

std::string ownData()
{
    return PELMORA_DATA_DIR;
}

#ifdef PELMORA_WITH_MODEL
// Flat inks, in Adobe's CMYK and YCCK, for the water and slabs: the window
// and pelmora-render must decode them alike, and not as white.
const Rgb waterInk = {150, 40, 30};
const Rgb slabInk = {60, 120, 40};

std::string inksAndAViewpoint()
{
    const std::string folder = linkedDataFolder(PELMORA_DATA_DIR, "pelmora-inks");
    const struct {
        const char* path;
        Rgb ink;
        J_COLOR_SPACE stored;
    } replaced[] = {
        {"/texture/water.jpg", waterInk, JCS_CMYK},
        {"/texture/boden1.jpg", slabInk, JCS_YCCK},
        {"/texture/boden2.jpg", slabInk, JCS_CMYK},
        {"/textures/wall.jpg", slabInk, JCS_YCCK},
    };
    for (const auto& each : replaced) {
        std::filesystem::remove(folder + each.path);
        std::ofstream(folder + each.path, std::ios::binary) << flatJpeg(256, 256, each.ink, each.stored);
    }
    // A viewpoint inside the model would take the viewer's camera into the corner block.
    std::filesystem::remove(folder + "/3DModel/julii.wrl");
    std::ofstream(folder + "/3DModel/julii.wrl") << fileBytes(std::string(PELMORA_DATA_DIR) + "/3DModel/julii.wrl")
                                                  << "\nViewpoint { position 0 0 0.1 }\n";
    return folder;
}
#endif

const DataCase dataCases[] = {
    {"OwnData", ownData},
#ifdef PELMORA_WITH_MODEL
    // The same code in every build: tried on the fullest.
    {"CmykAndYcckTexturesAndAModelWithAViewpoint", inksAndAViewpoint},
#endif
};

void PrintTo(const DataCase& data, std::ostream* out)
{
    *out << data.name;
}

int largestChannelDifference(const Picture& one, const Picture& other)
{
    int largest = 0;
    for (std::size_t n = 0; n < one.rgb.size(); ++n) {
        largest = std::max(largest, std::abs(one.rgb[n] - other.rgb[n]));
    }
    return largest;
}

}

class ViewerMatch : public ::testing::TestWithParam<DataCase> {};

TEST_P(ViewerMatch, RendererPictureMatchesTheLiveViewerAtTick300)
{
    const std::string data = GetParam().folder();
    const Tolerance* tolerance = nullptr;
    for (const Tolerance& each : tolerances) {
        tolerance = each.build == gridSize ? &each : tolerance;
    }
    ASSERT_NE(tolerance, nullptr);
    Display* display = openTestDisplay();
    ASSERT_NE(display, nullptr) << "cannot open the test display " << testDisplay();
    char report[] = "/tmp/pelmora-viewer-report-XXXXXX";
    close(mkstemp(report));
    ChildSpec harness;
    harness.arguments = {PELMORA_VIEWER_AT_TICK};
    harness.directory = data;
    harness.display = testDisplay();
    harness.outputPath = report;
    const pid_t pid = startChild(harness);
    // One line, "WINDOW WIDTH HEIGHT", once the viewer has drawn tick 300.
    waitUntil([&] { return fileBytes(report).find('\n') != std::string::npos; }, reportSeconds);
    std::istringstream line(fileBytes(report));
    unsigned long window = 0;
    int width = 0;
    int height = 0;
    line >> window >> width >> height;
    const Picture live = line ? grabWindow(display, window) : Picture();
    stopChild(pid);
    XCloseDisplay(display);
    unlink(report);
    ASSERT_GT(width, 0) << "the viewer did not report its window";
    ASSERT_EQ(live.width * live.height, width * height) << "the viewer's window could not be grabbed";

    char folder[] = "/tmp/pelmora-viewer-match-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    ChildSpec renderer;
    renderer.arguments = {PELMORA_RENDER_PROGRAM, "--build=" + std::to_string(gridSize), "--ticks=300", "--size=" + size,
                          "--output=" + std::string(folder) + "/{tick}.png", "--data=" + data};
    const ProgramRun run = runProgram(renderer);
    Picture rendered;
    const bool read = readPicture(std::string(folder) + "/000300.png", rendered);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_TRUE(read);
    ASSERT_EQ(rendered.width * rendered.height, width * height);

    const double share = static_cast<double>(differingPixels(live, rendered, wholePicture(live))) / (width * height);
    EXPECT_LE(share, tolerance->share) << "share of differing pixels at " << size;
    EXPECT_LE(largestChannelDifference(live, rendered), tolerance->channel) << "largest channel difference at "
                                                                             << size;
    // Decoded in both, not white in both: the water shows its red ink through the blue tint.
    const MeanColour water = meanColour(rendered, patchOnPicture(bareWater, width, height));
    EXPECT_EQ(water.red > water.blue, data != ownData()) << describe(water);
    if (data != ownData()) {
        std::filesystem::remove_all(data);
    }
}

INSTANTIATE_TEST_SUITE_P(EachData, ViewerMatch, ::testing::ValuesIn(dataCases),
    [](const ::testing::TestParamInfo<DataCase>& param) { return std::string(param.param.name); });
