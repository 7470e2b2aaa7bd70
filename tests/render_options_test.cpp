#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render_options.h"
#include "tick_list.h"

namespace {

using Ticks = std::vector<std::int32_t>;

Ticks ticksOf(const std::string& text)
{
    Ticks ticks;
    std::string error;
    EXPECT_TRUE(parseTickList(text, ticks, error)) << text << ": " << error;
    return ticks;
}

// Runs the option parser on words as a shell would hand them over.
bool parse(std::vector<std::string> words, RenderOptions& options, std::string& error)
{
    words.insert(words.begin(), "pelmora-render");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return parseRenderOptions(static_cast<int>(words.size()), argv.data(), "/data", options, error);
}

}

TEST(TickList, SingleTicksKeepTheirOrder)
{
    EXPECT_EQ(ticksOf("0,100,300"), (Ticks{0, 100, 300}));
    EXPECT_EQ(ticksOf("7"), (Ticks{7}));
}

TEST(TickList, RangeIncludesBothEndsWhenTheStepReachesTheLast)
{
    EXPECT_EQ(ticksOf("0:300:50"), (Ticks{0, 50, 100, 150, 200, 250, 300}));
    EXPECT_EQ(ticksOf("5:5:1"), (Ticks{5}));
}

TEST(TickList, RangeStopsBeforeTheLastWhenTheStepOvershoots)
{
    EXPECT_EQ(ticksOf("0:10:3"), (Ticks{0, 3, 6, 9}));
    EXPECT_EQ(ticksOf("2:3:5"), (Ticks{2}));
}

TEST(TickList, RangesAndTicksJoin)
{
    EXPECT_EQ(ticksOf("0:20:10,25,30:40:10"), (Ticks{0, 10, 20, 25, 30, 40}));
}

TEST(TickList, LargestTickIsAcceptedAndOneMoreIsNot)
{
    EXPECT_EQ(ticksOf(std::to_string(largestTick)), (Ticks{largestTick}));
    Ticks ticks;
    std::string error;
    EXPECT_FALSE(parseTickList(std::to_string(largestTick + 1), ticks, error));
    EXPECT_FALSE(parseTickList("99999999999999999999", ticks, error)) << "a number past 64 bits must not wrap";
}

TEST(TickList, FrameCountStopsAtItsLimit)
{
    Ticks ticks;
    std::string error;
    EXPECT_TRUE(parseTickList("1:" + std::to_string(largestFrameCount) + ":1", ticks, error)) << error;
    EXPECT_EQ(static_cast<int>(ticks.size()), largestFrameCount);
    EXPECT_FALSE(parseTickList("0:" + std::to_string(largestFrameCount) + ":1", ticks, error));
    EXPECT_EQ(error, "more than 10000 frames");
}

TEST(TickList, TicksThatDoNotRiseAreRefused)
{
    Ticks ticks;
    std::string error;
    EXPECT_FALSE(parseTickList("0:100:50,100", ticks, error));
    EXPECT_EQ(error, "ticks must rise: 100 comes after 100");
}

TEST(RenderOptions, DefaultsAreTickThreeHundredAt640x480IntoTheWorkingFolder)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--build=50"}, options, error)) << error;
    EXPECT_EQ(options.build, 50);
    EXPECT_EQ(options.ticks, (Ticks{300}));
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 480);
    EXPECT_EQ(options.output, ".");
    EXPECT_EQ(options.animation, "");
    EXPECT_EQ(options.format, "");
    EXPECT_EQ(options.rate, 10);
    EXPECT_EQ(options.dataDir, "/data");
    EXPECT_FALSE(options.help);
}

TEST(RenderOptions, ShortAndLongFormsReadTheSame)
{
    RenderOptions longForm;
    RenderOptions shortForm;
    std::string error;
    ASSERT_TRUE(parse({"--build", "100", "--ticks=0:9:3", "--size=320x200", "--output=out", "--animation=a.mov",
                       "--format=mp4", "--rate=60", "--data=d"},
                      longForm, error))
        << error;
    ASSERT_TRUE(parse({"-b", "100", "-t", "0:9:3", "-s", "320x200", "-o", "out", "-a", "a.mov", "-f", "mp4", "-r",
                       "60", "-d", "d"},
                      shortForm, error))
        << error;
    for (const RenderOptions& options : {longForm, shortForm}) {
        EXPECT_EQ(options.build, 100);
        EXPECT_EQ(options.ticks, (Ticks{0, 3, 6, 9}));
        EXPECT_EQ(options.width, 320);
        EXPECT_EQ(options.height, 200);
        EXPECT_EQ(options.output, "out");
        EXPECT_EQ(options.animation, "a.mov");
        EXPECT_EQ(options.format, "mp4");
        EXPECT_EQ(options.rate, 60);
        EXPECT_EQ(options.dataDir, "d");
    }
}

TEST(RenderOptions, SizeSidesRunFromOneTo4096)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--size=1x4096"}, options, error)) << error;
    EXPECT_EQ(options.width, 1);
    EXPECT_EQ(options.height, 4096);
    for (const char* size : {"0x10", "10x0", "4097x10", "10x4097", "640", "640x", "x480", "640X480", "64 0x480",
                             "-640x480"}) {
        EXPECT_FALSE(parse({std::string("--size=") + size}, options, error)) << size;
        EXPECT_EQ(error.rfind("bad size '" + std::string(size) + "'", 0), 0u) << error;
    }
}

TEST(RenderOptions, FaultsAreNamed)
{
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(parse({"--frobnicate"}, options, error));
    EXPECT_EQ(error, "unknown option '--frobnicate'");
    EXPECT_FALSE(parse({"--ticks"}, options, error));
    EXPECT_EQ(error, "option '--ticks' needs a value");
    EXPECT_FALSE(parse({"--build=25", "extra"}, options, error));
    EXPECT_EQ(error, "unexpected argument 'extra'");
    EXPECT_FALSE(parse({"--output="}, options, error));
    EXPECT_EQ(error, "the output folder or pattern is empty");
}

TEST(RenderOptions, HelpStopsReadingTheRest)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--help", "--build=75"}, options, error)) << error;
    EXPECT_TRUE(options.help);
}

TEST(RenderOptions, AnimationFormatComesFromTheOptionElseTheEnding)
{
    struct Case {
        std::vector<std::string> words;
        const char* format;   // empty when refused
    };
    const Case cases[] = {
        {{"--animation=pool.webm"}, "webm"},
        {{"--animation=pool.MP4"}, "mp4"},
        {{"--animation=dir.gif/pool.Gif"}, "gif"},
        {{"--animation=pool.gif", "--format=webm"}, "webm"},
        {{"--animation=pool", "--format=gif"}, "gif"},
        {{"--animation=pool.jpg"}, ""},
        {{"--animation=pool.gif.part"}, ""},
        {{"--animation=dir.gif/pool"}, ""},
    };
    for (const Case& wanted : cases) {
        RenderOptions options;
        std::string error;
        const bool read = parse(wanted.words, options, error);
        EXPECT_EQ(read ? options.format : "", wanted.format) << wanted.words[0] << ": " << error;
    }
}

TEST(RenderOptions, FramesGoToTheWorkingFolderUnlessOnlyAnAnimationIsAsked)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--animation=pool.gif"}, options, error)) << error;
    EXPECT_EQ(options.output, "");
    ASSERT_TRUE(parse({"--animation=pool.gif", "--output=."}, options, error)) << error;
    EXPECT_EQ(options.output, ".");
}

TEST(RenderOptions, RateRunsFromOneTo60)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--rate=1"}, options, error)) << error;
    EXPECT_EQ(options.rate, 1);
    for (const char* rate : {"0", "61", "", "2.5", "-1", "ten"}) {
        EXPECT_FALSE(parse({std::string("--rate=") + rate}, options, error)) << rate;
        EXPECT_EQ(error.rfind("bad rate '" + std::string(rate) + "'", 0), 0u) << error;
    }
}
