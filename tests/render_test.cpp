#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/build_config.h"
#include "support/gif_frames.h"
#include "support/pool.h"
#include "support/pictures.h"
#include "support/x_display.h"
#include "support/render_view.h"

namespace {

constexpr int pictureWidth = 640;
constexpr int pictureHeight = 480;
constexpr int exitCannotRun = 2;

// Height of still water on the mesh: rest height 10 times 0.1, plus the lift 0.125.
constexpr float waterLevel = 1.125f;

// Top of the corner block, which the model stands on.
constexpr float cornerBlockTop = 1.5f;

// Open water, clear of walls, corner block and the first drops.
const WorldPatch bareWater = {0.1f, 0.1f, 0.8f, 0.8f, waterLevel};

// Bands of the caustic slab: the light pattern's stripes fall at these heights
// of the pool when the water is flat; each patch keeps clear of a band's edges.
const WorldPatch lightBands[] = {
    {0.0f, -0.6f, 0.8f, -0.38f, waterLevel},
    {0.0f, 0.16f, 0.8f, 0.38f, waterLevel},
};
const WorldPatch darkBands[] = {
    {0.0f, -0.22f, 0.8f, 0.0f, waterLevel},
    {0.0f, 0.56f, 0.8f, 0.9f, waterLevel},
};

// The middle of the corner block, where the imported model stands.
const WorldPatch cornerMiddle = {-0.85f, -0.85f, -0.65f, -0.65f, cornerBlockTop};

// The pool and a margin for the waves, which lift the mesh above the still level.
const WorldPatch poolWithMargin = {-1.15f, -1.15f, 1.15f, 1.15f, 1.5f};

double brightness(const MeanColour& colour)
{
    return (colour.red + colour.green + colour.blue) / 3.0;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string frameName(int tick)
{
    char name[64];
    std::snprintf(name, sizeof name, "pelmora-%d-tick-%06d.png", gridSize, tick);
    return name;
}

class Render : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/pelmora-render-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        display = startVirtualDisplay({});
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    }

    void TearDown() override
    {
        stopVirtualDisplay(display);
        std::filesystem::remove_all(folder);
    }

    // pelmora-render for this build at the test's size, on the test's display.
    ProgramRun render(const std::vector<std::string>& options, const std::string& into)
    {
        std::vector<std::string> arguments = {PELMORA_RENDER_PROGRAM, "--build=" + std::to_string(gridSize),
                                              "--size=640x480", "--output=" + into};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runProgram(ChildSpec{arguments, "", display.name, {}, ""});
    }

    Picture frame(const std::string& in, int tick)
    {
        Picture picture;
        EXPECT_TRUE(readPicture(in + "/" + frameName(tick), picture)) << "cannot read " << frameName(tick);
        EXPECT_EQ(picture.width, pictureWidth);
        EXPECT_EQ(picture.height, pictureHeight);
        return picture;
    }

    // The default frame, rendered into the test's folder; failures are recorded, not thrown.
    Picture pictureAtTick300()
    {
        const ProgramRun run = render({"--ticks=300"}, folder);
        EXPECT_EQ(run.status, 0) << run.errors;
        return run.status == 0 ? frame(folder, 300) : Picture();
    }

    std::string subfolder(const std::string& name)
    {
        const std::string path = folder + "/" + name;
        std::filesystem::create_directory(path);
        return path;
    }

    std::string folder;
    VirtualDisplay display;
};

}

TEST_F(Render, TickZeroAndTickThreeHundredDiffer)
{
    const ProgramRun run = render({"--ticks=0,300"}, folder);
    ASSERT_EQ(run.status, 0) << run.errors;
    const Picture first = frame(folder, 0);
    const Picture later = frame(folder, 300);
    ASSERT_FALSE(HasFailure());

    // At tick 0 the mesh still lies flat under the slabs; by tick 300 the
    // waving water covers the whole pool.
    const PixelBox water = patchOnPicture(bareWater, pictureWidth, pictureHeight);
    const int waterPixels = (water.right - water.left + 1) * (water.bottom - water.top + 1);
    const long changedWater = differingPixels(first, later, water);
    EXPECT_GE(changedWater, waterPixels * 9 / 10) << "changed " << changedWater << " of " << waterPixels
                                                  << " water pixels, expected at least nine in ten";

    // Nothing but the water moves: outside the pool every pixel stays.
    const PixelBox pool = patchOnPicture(poolWithMargin, pictureWidth, pictureHeight);
    const long changedOutside = differingPixels(first, later, wholePicture(first)) - differingPixels(first, later, pool);
    EXPECT_EQ(changedOutside, 0) << "pixels changed outside the pool";
}

TEST_F(Render, TwoRunsWriteIdenticalFiles)
{
    const std::string one = subfolder("one");
    const std::string other = subfolder("other");
    const ProgramRun firstRun = render({"--ticks=0:300:150"}, one);
    const ProgramRun secondRun = render({"--ticks=0:300:150"}, other);
    ASSERT_EQ(firstRun.status, 0) << firstRun.errors;
    ASSERT_EQ(secondRun.status, 0) << secondRun.errors;
    const std::vector<std::string> expected = {frameName(0), frameName(150), frameName(300)};
    ASSERT_EQ(filesIn(one), expected);
    ASSERT_EQ(filesIn(other), expected);
    for (const std::string& name : expected) {
        const std::string bytes = fileBytes(one + "/" + name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == fileBytes(other + "/" + name)) << name << " differs between two runs";
    }
}

TEST_F(Render, FrameDoesNotDependOnTheFramesBeforeIt)
{
    const std::string alone = subfolder("alone");
    const std::string inSeries = subfolder("series");
    const ProgramRun aloneRun = render({"--ticks=300"}, alone);
    const ProgramRun seriesRun = render({"--ticks=0:300:100"}, inSeries);
    ASSERT_EQ(aloneRun.status, 0) << aloneRun.errors;
    ASSERT_EQ(seriesRun.status, 0) << seriesRun.errors;
    EXPECT_TRUE(fileBytes(alone + "/" + frameName(300)) == fileBytes(inSeries + "/" + frameName(300)))
        << "tick 300 pictured alone differs from tick 300 after three earlier frames";
}

TEST_F(Render, WaterIsBlueTinted)
{
    const Picture picture = pictureAtTick300();
    ASSERT_FALSE(HasFailure());
    const MeanColour water = meanColour(picture, patchOnPicture(bareWater, pictureWidth, pictureHeight));
    EXPECT_GE(water.blue - water.red, 30.0) << "water " << describe(water) << ", expected blue 30 above red";
    EXPECT_GE(water.blue - water.green, 10.0) << "water " << describe(water) << ", expected blue 10 above green";
    EXPECT_GE(brightness(water), 60.0) << "water " << describe(water) << ", expected lit, not dark";
}

TEST_F(Render, CausticStripesShowThroughTheWater)
{
    const Picture picture = pictureAtTick300();
    ASSERT_FALSE(HasFailure());
    for (const WorldPatch& lightPatch : lightBands) {
        const MeanColour light = meanColour(picture, patchOnPicture(lightPatch, pictureWidth, pictureHeight));
        EXPECT_GE(light.blue - light.red, 30.0) << "light band at y " << lightPatch.y0 << " is " << describe(light)
                                                << ", expected seen through blue water";
        for (const WorldPatch& darkPatch : darkBands) {
            const MeanColour dark = meanColour(picture, patchOnPicture(darkPatch, pictureWidth, pictureHeight));
            EXPECT_GE(brightness(light) - brightness(dark), 20.0)
                << "light band at y " << lightPatch.y0 << " " << describe(light) << " against dark band at y "
                << darkPatch.y0 << " " << describe(dark) << ", expected 20 levels brighter";
        }
    }
}

#ifdef PELMORA_WITH_MODEL
TEST_F(Render, ModelRegionDiffersFromBareWater)
{
    const Picture picture = pictureAtTick300();
    ASSERT_FALSE(HasFailure());
    const MeanColour model = meanColour(picture, patchOnPicture(cornerMiddle, pictureWidth, pictureHeight));
    const MeanColour water = meanColour(picture, patchOnPicture(bareWater, pictureWidth, pictureHeight));
    // The urn's sandstone, shaded and hollow: warm, with green above blue (the brick block under it has not),
    // and far less blue than the water.
    EXPECT_GE(model.red - model.blue, 30.0) << "model " << describe(model) << ", expected red 30 above blue";
    EXPECT_GE(model.green - model.blue, 15.0) << "model " << describe(model) << ", expected green 15 above blue";
    EXPECT_GE(water.blue - model.blue, 40.0) << "model " << describe(model) << " against water " << describe(water)
                                             << ", expected blue 40 below the water's";
}
#else
TEST_F(Render, CornerRegionWithoutTheModelShowsBlockOrWater)
{
    const Picture picture = pictureAtTick300();
    ASSERT_FALSE(HasFailure());
    const MeanColour corner = meanColour(picture, patchOnPicture(cornerMiddle, pictureWidth, pictureHeight));
#ifdef PELMORA_WITH_BASIN
    // The bare brick block: red well above green and blue, no sandy model on it.
    EXPECT_GE(corner.red - corner.green, 30.0) << "corner " << describe(corner) << ", expected red 30 above green";
    EXPECT_LT(corner.green - corner.blue, 25.0) << "corner " << describe(corner) << ", expected no sandy model";
#else
    // No scenery at all: the corner is water like the rest of the pool.
    EXPECT_GE(corner.blue - corner.red, 30.0) << "corner " << describe(corner) << ", expected blue water";
#endif
}
#endif

TEST_F(Render, RangeWritesOneFramePerStepAndNothingElse)
{
    const ProgramRun run = render({"--ticks=0:20:10,25"}, folder);
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<std::string> expected = {frameName(0), frameName(10), frameName(20), frameName(25)};
    EXPECT_EQ(filesIn(folder), expected);
    // One progress line per frame, in tick order.
    const std::size_t first = run.errors.find("tick 0:");
    const std::size_t last = run.errors.find("tick 25:");
    EXPECT_NE(first, std::string::npos) << run.errors;
    EXPECT_NE(last, std::string::npos) << run.errors;
    EXPECT_LT(first, last) << run.errors;
    EXPECT_EQ(lineCount(run.errors), 4) << run.errors;
}

TEST_F(Render, FileNamePatternTakesTheTick)
{
    const ProgramRun run = render({"--ticks=7,300"}, folder + "/pool-{tick}.png");
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<std::string> expected = {"pool-000007.png", "pool-000300.png"};
    EXPECT_EQ(filesIn(folder), expected);
}

TEST_F(Render, GifHoldsEveryFrameInOrder)
{
    const std::string frames = subfolder("frames");
    const std::string gif = folder + "/pool.gif";
    const ProgramRun run = render({"--ticks=0:300:100", "--gif=" + gif}, frames);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(gifFrameCount(gif), 4) << "frames in " << gif;
}

TEST_F(Render, NoDisplayExitsTwoWithAMessage)
{
    std::vector<std::string> arguments = {PELMORA_RENDER_PROGRAM, "--build=" + std::to_string(gridSize),
                                          "--output=" + folder};
    const ProgramRun run = runProgram(ChildSpec{arguments, "", "", {}, ""});
    EXPECT_EQ(run.status, exitCannotRun) << run.errors;
    EXPECT_NE(run.errors.find("no OpenGL context: DISPLAY is not set"), std::string::npos) << run.errors;
    EXPECT_EQ(lineCount(run.errors), 1) << run.errors;
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(Render, DeadDisplayExitsTwoWithAMessage)
{
    VirtualDisplay gone = startVirtualDisplay({});
    ASSERT_FALSE(gone.name.empty());
    stopVirtualDisplay(gone);
    std::vector<std::string> arguments = {PELMORA_RENDER_PROGRAM, "--build=" + std::to_string(gridSize),
                                          "--output=" + folder};
    const ProgramRun run = runProgram(ChildSpec{arguments, "", gone.name, {}, ""});
    EXPECT_EQ(run.status, exitCannotRun) << run.errors;
    EXPECT_NE(run.errors.find("no OpenGL context: cannot open the X display '" + gone.name + "'"), std::string::npos)
        << run.errors;
    EXPECT_EQ(lineCount(run.errors), 1) << run.errors;
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(Render, DisplayWithoutGlxExitsTwoWithAMessage)
{
    VirtualDisplay plain = startVirtualDisplay({"-extension", "GLX"});
    ASSERT_FALSE(plain.name.empty());
    std::vector<std::string> arguments = {PELMORA_RENDER_PROGRAM, "--build=" + std::to_string(gridSize),
                                          "--output=" + folder};
    const ProgramRun run = runProgram(ChildSpec{arguments, "", plain.name, {}, ""});
    stopVirtualDisplay(plain);
    EXPECT_EQ(run.status, exitCannotRun) << run.errors;
    EXPECT_NE(run.errors.find("no OpenGL context: the X display '" + plain.name + "' has no GLX"), std::string::npos)
        << run.errors;
    EXPECT_EQ(lineCount(run.errors), 1) << run.errors;
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(Render, UnknownBuildExitsTwoWithAMessage)
{
    for (const char* build : {"75", "0", "250", "twenty-five", ""}) {
        const ProgramRun run = render({std::string("--build=") + build}, folder);
        EXPECT_EQ(run.status, exitCannotRun) << "build '" << build << "': " << run.errors;
        EXPECT_NE(run.errors.find(std::string("unknown build '") + build + "'"), std::string::npos) << run.errors;
        EXPECT_EQ(lineCount(run.errors), 1) << run.errors;
    }
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(Render, UnparsableTickListExitsTwoWithAMessage)
{
    struct BadList {
        const char* ticks;
        const char* named;   // what the message must point at
    };
    const BadList lists[] = {
        {"", "bad tick ''"},
        {"1,,2", "bad tick ''"},
        {"ten", "bad tick 'ten'"},
        {"-5", "bad tick '-5'"},
        {"1.5", "bad tick '1.5'"},
        {"100000001", "bad tick '100000001'"},
        {"0:10", "bad range '0:10'"},
        {"0:10:2:1", "bad range '0:10:2:1'"},
        {"10:0:5", "bad range '10:0:5'"},
        {"0:10:0", "bad range '0:10:0'"},
        {"300,100", "ticks must rise: 100 comes after 300"},
        {"5,5", "ticks must rise: 5 comes after 5"},
        {"0:100000:1", "more than 10000 frames"},
    };
    for (const BadList& list : lists) {
        const ProgramRun run = render({std::string("--ticks=") + list.ticks}, folder);
        EXPECT_EQ(run.status, exitCannotRun) << "ticks '" << list.ticks << "': " << run.errors;
        EXPECT_NE(run.errors.find(list.named), std::string::npos)
            << "ticks '" << list.ticks << "': got " << run.errors << "expected a message with " << list.named;
        EXPECT_EQ(lineCount(run.errors), 1) << run.errors;
    }
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(Render, UnwritableOutputFolderExitsTwoWithAMessage)
{
    // A folder inside a plain file can never be written, not even by root.
    const std::string plainFile = folder + "/plain";
    std::ofstream(plainFile) << "not a folder";
    for (const std::string& output : {plainFile + "/frames", plainFile + "/frames/pool-{tick}.png",
                                      folder + "/missing"}) {
        const ProgramRun run = render({"--ticks=0"}, output);
        EXPECT_EQ(run.status, exitCannotRun) << output << ": " << run.errors;
        EXPECT_NE(run.errors.find("cannot write to the output folder"), std::string::npos) << run.errors;
        EXPECT_EQ(lineCount(run.errors), 1) << run.errors;
    }
    const std::vector<std::string> untouched = {"plain"};
    EXPECT_EQ(filesIn(folder), untouched);
}
