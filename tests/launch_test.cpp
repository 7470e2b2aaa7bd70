#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/child.h"
#include "support/program_window.h"

// How the program ends when it cannot or must not open its window: the
// display and the toolkit's arguments are checked by the same code in every
// build, so the fullest build, which also checks its model beside, stands
// for them all.

namespace {

const std::string program = PELMORA_PROGRAM;
const std::string programName = PELMORA_PROGRAM_NAME;
const std::string dataFolder = PELMORA_DATA_DIR;

// How the program ends when started with the given DISPLAY (empty: none at all).
int exitStatusWithDisplay(const std::string& display)
{
    Launch launch = onTestDisplay(program, dataFolder);
    launch.display = display;
    Child child(launch);
    if (!child.waitForExit(exitSeconds)) {
        ADD_FAILURE() << "still running without a display";
        return -1;
    }
    const int status = child.status();
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


struct HostileLaunch {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> settings;
    bool withDisplay;   // DISPLAY names the test's X server; else it is unset
};

const HostileLaunch hostileLaunches[] = {
    // A display number no server listens on, named however DISPLAY is.
    {"DeadDisplayArgument", {"-display", ":4093"}, {}, true},
    {"DeadDisplayArgumentWithoutDisplay", {"-display", ":4093"}, {}, false},
    {"DeadDisplayArgumentWithTwoDashes", {"--display", ":4093"}, {}, false},
    {"WaylandSessionWithoutX", {}, {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=pelmora-no-such-socket"}, false},
    {"BogusPlatformArgument", {"-platform", "bogus"}, {}, true},
    {"BogusPlatformEnvironment", {}, {"QT_QPA_PLATFORM=bogus"}, true},
    {"HugeGeometry", {"-geometry", "100000x100000"}, {}, true},
    {"HugeGeometryWithTwoDashes", {"--geometry", "40000x100"}, {}, true},
    {"GeometryOnePixelAboveTheLargest", {"-geometry", "8193x100"}, {}, true},
    {"GeometryLargerThanTheLargestAtItsScale", {"-geometry", "5000x100"}, {"QT_SCALE_FACTOR=2"}, true},
    {"ScaleFactorOfAThousand", {}, {"QT_SCALE_FACTOR=1000"}, true},
    {"ScaleFactorNearTheLargestDouble", {}, {"QT_SCALE_FACTOR=1e308"}, true},
    {"ScaleFactorNotANumber", {}, {"QT_SCALE_FACTOR=nan"}, true},
    {"ScreenScaleFactorInfinite", {}, {"QT_SCREEN_SCALE_FACTORS=1.5;VIRTUAL=inf"}, true},
    {"ScreenScaleFactorZero", {}, {"QT_SCREEN_SCALE_FACTORS=0"}, true},
    {"StyleSheetFromADevice", {"-stylesheet", "/dev/zero"}, {}, true},
    {"StyleSheetJoinedFromADevice", {"--stylesheet=/dev/zero"}, {}, true},
    {"WindowIconFromAFolder", {"-qwindowicon", "/"}, {}, true},
};

class HostileLaunchTest : public ::testing::TestWithParam<HostileLaunch> {};

void PrintTo(const HostileLaunch& launch, std::ostream* out)
{
    *out << launch.name;
}

}

TEST(NoDisplay, UnsetDisplayExitsWithStatusOne)
{
    EXPECT_EQ(exitStatusWithDisplay(""), 1);
}

TEST(NoDisplay, DisplayWithoutAServerExitsWithStatusOne)
{
    // A display number no server listens on.
    EXPECT_EQ(exitStatusWithDisplay(":4093"), 1);
}

TEST_P(HostileLaunchTest, ProgramEndsWithStatusOneAndOneLine)
{
    const HostileLaunch& hostile = GetParam();
    Launch launch = onTestDisplay(program, dataFolder);
    launch.arguments.insert(launch.arguments.end(), hostile.arguments.begin(), hostile.arguments.end());
    launch.environment = hostile.settings;
    launch.display = hostile.withDisplay ? launch.display : "";
    const ProgramRun run = runProgram(launch);
    EXPECT_EQ(run.status, 1) << "-1: ended by a signal";
    const std::vector<std::string> lines = ownLines(run.errors, programName);
    EXPECT_EQ(lines.size(), 1u) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
}

INSTANTIATE_TEST_SUITE_P(EachHostileLaunch, HostileLaunchTest, ::testing::ValuesIn(hostileLaunches),
    [](const ::testing::TestParamInfo<HostileLaunch>& param) { return std::string(param.param.name); });
