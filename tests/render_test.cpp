#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <sys/wait.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "config/build_config.h"
#include "support/child.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/render_view.h"
#include "support/waiting.h"

namespace {

constexpr int pictureWidth = 640;
constexpr int pictureHeight = 480;
constexpr int exitFailed = 1;

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

MeanColour patchColour(const Picture& picture, const WorldPatch& patch)
{
    return meanColour(picture, patchOnPicture(patch, picture.width, picture.height));
}

std::string frameName(int tick)
{
    char name[64];
    std::snprintf(name, sizeof name, "pelmora-%d-tick-%06d.png", gridSize, tick);
    return name;
}

// pelmora-render (or the given program) with no DISPLAY, started from the
// root folder, so that nothing is found relative to the tests' own, with the
// NAME=VALUE settings added and, when fileLimit is above 0, no file it writes
// allowed past that many bytes.
// Its standard output goes with its standard error.
Launch rendererLaunch(const std::vector<std::string>& arguments, const std::vector<std::string>& settings = {},
                      rlim_t fileLimit = 0, const std::string& program = PELMORA_RENDER_PROGRAM)
{
    Launch launch;
    launch.arguments = arguments;
    launch.arguments.insert(launch.arguments.begin(), program);
    launch.directory = "/";
    launch.environment = settings;
    launch.fileSizeLimit = fileLimit;
    launch.output = Output::withErrors;
    return launch;
}

// An animation read back through FFmpeg's libraries: its frames, their size, and the last one.
struct ReadAnimation {
    int frames = 0;
    int width = 0;
    int height = 0;
    Picture last;
};

void keepAsLast(const AVFrame* frame, ReadAnimation& read)
{
    ++read.frames;
    read.width = frame->width;
    read.height = frame->height;
    read.last.width = frame->width;
    read.last.height = frame->height;
    read.last.rgb.assign(static_cast<std::size_t>(frame->width) * frame->height * 3, 0);
    SwsContext* converter = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                           frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr,
                                           nullptr, nullptr);
    uint8_t* const target[] = {read.last.rgb.data()};
    const int targetStride[] = {frame->width * 3};
    sws_scale(converter, frame->data, frame->linesize, 0, frame->height, target, targetStride);
    sws_freeContext(converter);
}

// The container is told, not guessed: a name such as a%d.jpg would otherwise read as a numbered image series.
ReadAnimation readAnimation(const std::string& path, const char* format = nullptr)
{
    ReadAnimation read;
    AVFormatContext* container = nullptr;
    const AVInputFormat* told = format != nullptr ? av_find_input_format(format) : nullptr;
    if (avformat_open_input(&container, path.c_str(), told, nullptr) < 0) {
        return read;
    }
    const AVCodec* codec = nullptr;
    avformat_find_stream_info(container, nullptr);
    const int stream = av_find_best_stream(container, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (stream >= 0 && avcodec_parameters_to_context(decoder, container->streams[stream]->codecpar) >= 0
        && avcodec_open2(decoder, codec, nullptr) >= 0) {
        while (av_read_frame(container, packet) >= 0) {
            if (packet->stream_index == stream && avcodec_send_packet(decoder, packet) >= 0) {
                while (avcodec_receive_frame(decoder, frame) >= 0) {
                    keepAsLast(frame, read);
                }
            }
            av_packet_unref(packet);
        }
        avcodec_send_packet(decoder, nullptr);
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            keepAsLast(frame, read);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&container);
    return read;
}

class Render : public ::testing::Test {
protected:
    // Options for this build at the test's size; later options win over these.
    std::vector<std::string> options(const std::vector<std::string>& more)
    {
        std::vector<std::string> words = {"--build=" + std::to_string(gridSize), "--size=640x480"};
        words.insert(words.end(), more.begin(), more.end());
        return words;
    }

    // A whole run with the frames written into the given place.
    ProgramRun render(std::vector<std::string> more, const std::string& into)
    {
        more.insert(more.begin(), "--output=" + into);
        return runProgram(rendererLaunch(options(more)));
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

    // Every file in the folder is a whole picture of the test's size.
    void expectOnlyWholePictures()
    {
        for (const std::string& name : filesIn(folder)) {
            Picture picture;
            EXPECT_TRUE(readPicture(folder + "/" + name, picture)) << name << " is not a whole picture";
            EXPECT_EQ(picture.width * picture.height, pictureWidth * pictureHeight) << name;
        }
    }

    const TemporaryFolder temporary;
    const std::string folder = temporary.path;
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

// The picture in the README, made on Debian 12, is what every release draws.
TEST_F(Render, TickThreeHundredLooksAsInTheReadme)
{
    const Picture picture = pictureAtTick300();
    Picture readme;
    ASSERT_TRUE(readPicture(std::string(PELMORA_DOCS_DIR) + "/" + frameName(300), readme)) << frameName(300);
    ASSERT_FALSE(HasFailure());
    // Software rasterisers of other releases may round a few edge pixels otherwise.
    constexpr double mostDifferingShare = 0.001;
    const double share = static_cast<double>(differingPixels(readme, picture, wholePicture(readme))) / (pictureWidth * pictureHeight);
    EXPECT_LE(share, mostDifferingShare) << "share of pixels that differ from docs/" << frameName(300);
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
    const MeanColour water = patchColour(picture, bareWater);
    EXPECT_GE(water.blue - water.red, 30.0) << "water " << describe(water) << ", expected blue 30 above red";
    EXPECT_GE(water.blue - water.green, 10.0) << "water " << describe(water) << ", expected blue 10 above green";
    EXPECT_GE(brightness(water), 60.0) << "water " << describe(water) << ", expected lit, not dark";
}

TEST_F(Render, CausticStripesShowThroughTheWater)
{
    const Picture picture = pictureAtTick300();
    ASSERT_FALSE(HasFailure());
    for (const WorldPatch& lightPatch : lightBands) {
        const MeanColour light = patchColour(picture, lightPatch);
        EXPECT_GE(light.blue - light.red, 30.0) << "light band at y " << lightPatch.y0 << " is " << describe(light)
                                                << ", expected seen through blue water";
        for (const WorldPatch& darkPatch : darkBands) {
            const MeanColour dark = patchColour(picture, darkPatch);
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
    const MeanColour model = patchColour(picture, cornerMiddle);
    const MeanColour water = patchColour(picture, bareWater);
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
    const MeanColour corner = patchColour(picture, cornerMiddle);
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
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 4) << run.errors;
}

TEST_F(Render, NamesAreTakenLiterallyButForTheTick)
{
    // Shapes that other tools read as patterns or formats: here only {tick} means anything.
    const ProgramRun run = render({"--ticks=7,300", "--animation=" + folder + "/a%d[1].jpg", "--format=gif"},
                                  folder + "/p%d[0-9]-{tick}.jpg");
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<std::string> expected = {"a%d[1].jpg", "p%d[0-9]-000007.jpg", "p%d[0-9]-000300.jpg"};
    EXPECT_EQ(filesIn(folder), expected);
    EXPECT_EQ(fileBytes(folder + "/p%d[0-9]-000007.jpg").substr(1, 3), "PNG");
    EXPECT_EQ(readAnimation(folder + "/a%d[1].jpg", "gif").frames, 2);
}

TEST_F(Render, AnimationHoldsEveryFrameAtThePictureSize)
{
    struct Case {
        const char* name;
        int width;
        int height;
    };
    // MP4 takes even sides only; the others any.
    const Case cases[] = {{"pool.webm", 161, 121}, {"pool.mp4", 160, 120}, {"pool.gif", 161, 121}};
    for (const Case& wanted : cases) {
        const std::string path = folder + "/" + wanted.name;
        const std::string size = std::to_string(wanted.width) + "x" + std::to_string(wanted.height);
        const ProgramRun run =
            runProgram(rendererLaunch(options({"--ticks=0:30:10", "--size=" + size, "--rate=25", "--animation=" + path})));
        ASSERT_EQ(run.status, 0) << wanted.name << ": " << run.errors;
        const ReadAnimation read = readAnimation(path);
        EXPECT_EQ(read.frames, 4) << wanted.name;
        EXPECT_EQ(read.width, wanted.width) << wanted.name;
        EXPECT_EQ(read.height, wanted.height) << wanted.name;
    }
    // Only the animations: no frames when no --output is given.
    const std::vector<std::string> expected = {"pool.gif", "pool.mp4", "pool.webm"};
    EXPECT_EQ(filesIn(folder), expected);
}

TEST_F(Render, GifFrameMatchesItsPictureByRegionColours)
{
    const std::string gif = folder + "/pool.gif";
    const ProgramRun run = render({"--ticks=0,300", "--animation=" + gif}, folder);
    ASSERT_EQ(run.status, 0) << run.errors;
    const ReadAnimation read = readAnimation(gif);
    const Picture picture = frame(folder, 300);
    ASSERT_EQ(read.frames, 2);
    ASSERT_FALSE(HasFailure());
    // 256 colours, dithered: a region keeps its average within a few levels.
    constexpr double mostDifference = 8.0;
    for (const WorldPatch& patch : {bareWater, lightBands[0], darkBands[0], cornerMiddle}) {
        const MeanColour inGif = patchColour(read.last, patch);
        const MeanColour inPng = patchColour(picture, patch);
        EXPECT_NEAR(inGif.red, inPng.red, mostDifference) << describe(inGif) << " against " << describe(inPng);
        EXPECT_NEAR(inGif.green, inPng.green, mostDifference) << describe(inGif) << " against " << describe(inPng);
        EXPECT_NEAR(inGif.blue, inPng.blue, mostDifference) << describe(inGif) << " against " << describe(inPng);
    }
}

TEST_F(Render, GifAloneEqualsTheGifMadeBesideItsPictures)
{
    // Alone, each frame is read back and converted in bands of rows (here 64, 64 and 22); beside its pictures, whole.
    const std::string alone = folder + "/alone.gif";
    const std::string beside = folder + "/beside.gif";
    const ProgramRun aloneRun =
        runProgram(rendererLaunch(options({"--ticks=0,300", "--size=161x150", "--animation=" + alone})));
    ASSERT_EQ(aloneRun.status, 0) << aloneRun.errors;
    const ProgramRun besideRun = render({"--ticks=0,300", "--size=161x150", "--animation=" + beside}, folder);
    ASSERT_EQ(besideRun.status, 0) << besideRun.errors;
    EXPECT_EQ(fileBytes(alone), fileBytes(beside));
}

TEST_F(Render, FullDiskEndsTheRunWithOneLineAndNoPartialFile)
{
    // A picture of the waves at tick 300 needs 100 kB or more, a GIF of several far more.
    constexpr rlim_t fileLimit = 40000;
    struct Case {
        std::vector<std::string> options;
        std::string failing;
    };
    const Case cases[] = {
        {{"--ticks=300", "--output=" + folder}, folder + "/" + frameName(300)},
        {{"--ticks=0:300:30", "--animation=" + folder + "/pool.gif"}, folder + "/pool.gif"},
    };
    for (const Case& full : cases) {
        const ProgramRun run = runProgram(rendererLaunch(options(full.options), {}, fileLimit));
        const std::string line = "pelmora-render: cannot write " + full.failing + ": File too large\n";
        EXPECT_EQ(run.status, exitFailed) << run.errors;
        ASSERT_GE(run.errors.size(), line.size()) << run.errors;
        EXPECT_EQ(run.errors.substr(run.errors.size() - line.size()), line) << "the last line of " << run.errors;
        EXPECT_TRUE(filesIn(folder).empty()) << "left behind: " << ::testing::PrintToString(filesIn(folder));
    }
}

TEST_F(Render, SignalMidRunLeavesOnlyWholeFiles)
{
    for (const int signal : {SIGTERM, SIGKILL}) {
        const std::string gif = folder + "/pool.gif";
        Child renderer(rendererLaunch(options({"--ticks=0:9999:1", "--output=" + folder, "--animation=" + gif})));
        // Stopped once a few frames are out, in the middle of the run.
        waitUntil([&] { return filesIn(folder).size() >= 3; }, 60.0);
        kill(renderer.pid(), signal);
        renderer.waitForExit(60.0);
        const std::vector<std::string> left = filesIn(folder);
        EXPECT_GE(left.size(), 3u) << "signal " << signal;
        EXPECT_EQ(std::count(left.begin(), left.end(), "pool.gif"), 0) << "signal " << signal;
        expectOnlyWholePictures();
        for (const std::string& name : left) {
            std::filesystem::remove(folder + "/" + name);
        }
    }
}

TEST_F(Render, InstalledLayoutFindsItsRendererAndDataFromAnyFolder)
{
    // The installed layout: bin/, libexec/pelmora/ and share/pelmora/ under one prefix.
    const std::filesystem::path built = std::filesystem::path(PELMORA_RENDER_PROGRAM).parent_path();
    const std::string renderer = "pelmora-render-" + std::to_string(gridSize);
    const std::string prefix = subfolder("prefix");
    std::filesystem::create_directories(prefix + "/bin");
    std::filesystem::create_directories(prefix + "/libexec/pelmora");
    std::filesystem::create_directories(prefix + "/share");
    std::filesystem::copy_file(PELMORA_RENDER_PROGRAM, prefix + "/bin/pelmora-render");
    std::filesystem::copy_file(built / renderer, prefix + "/libexec/pelmora/" + renderer);
    // The model's checker, which the renderer of a build with the model looks for beside itself.
    std::filesystem::copy_file(built / "pelmora-model-check", prefix + "/libexec/pelmora/pelmora-model-check");
    std::filesystem::create_directory_symlink(PELMORA_DATA_DIR, prefix + "/share/pelmora");
    const std::string frames = subfolder("frames");

    for (const std::string& program : {std::string("/bin/pelmora-render"), "/libexec/pelmora/" + renderer}) {
        const ProgramRun help = runProgram(rendererLaunch({"--help"}, {}, 0, prefix + program));
        EXPECT_NE(help.errors.find("(default " + prefix + "/share/pelmora)"), std::string::npos)
            << program << " names another data folder: " << help.errors;
    }
    const ProgramRun installed =
        runProgram(rendererLaunch(options({"--output=" + folder, "--ticks=300"}), {}, 0, prefix + "/bin/pelmora-render"));
    const ProgramRun inTree = render({"--ticks=300"}, frames);
    ASSERT_EQ(installed.status, 0) << installed.errors;
    ASSERT_EQ(inTree.status, 0) << inTree.errors;
    // The same picture, textures and all: the data folder found from the program's own place.
    EXPECT_TRUE(fileBytes(folder + "/" + frameName(300)) == fileBytes(frames + "/" + frameName(300)))
        << "the installed layout pictures tick 300 otherwise than the build tree";
}
