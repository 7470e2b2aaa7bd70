#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "config/build_config.h"
#include "support/files.h"
#include "support/live_viewer.h"
#include "support/made_jpeg.h"
#include "support/pictures.h"
#include "support/program_window.h"
#include "support/render_view.h"

namespace {

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

}

class ViewerMatch : public ::testing::TestWithParam<bool> {};

TEST_P(ViewerMatch, RendererPictureMatchesTheLiveViewerAtTick300)
{
    const TemporaryFolder others;
    const std::string data = dataFolder(GetParam(), others.path);
    const Picture live = liveViewerAtTick300(PELMORA_VIEWER_AT_TICK, data);
    ASSERT_GT(live.width, 0) << "the viewer did not report its window";
    const int width = live.width;
    const int height = live.height;

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

    expectMatchesLiveViewer(rendered, live, gridSize);
    // Decoded in both, not white in both: the water shows its red ink through the blue tint.
    const MeanColour water = meanColour(rendered, patchOnPicture(bareWater, width, height));
    EXPECT_EQ(water.red > water.blue, GetParam()) << describe(water);
}

INSTANTIATE_TEST_SUITE_P(EachData, ViewerMatch, ::testing::ValuesIn(othersFiles),
    [](const ::testing::TestParamInfo<bool>& param) {
        return std::string(param.param ? "CmykAndYcckTexturesAndAModelWithAViewpoint" : "OwnData");
    });
