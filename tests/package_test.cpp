#include <gtest/gtest.h>

#include <sys/wait.h>

#include <string>

#include "support/files.h"
#include "support/pictures.h"
#include "support/program_window.h"

// The programs as the Debian package installs them, run from the package
// unpacked into a folder of the build (tests/package_build.sh): nothing is
// installed on the system.

namespace {

const std::string root = PELMORA_PACKAGE_ROOT;

class PackagedProgram : public ::testing::TestWithParam<int> {};

std::string sizeName(const ::testing::TestParamInfo<int>& info)
{
    return "pelmora_" + std::to_string(info.param);
}

}

TEST_P(PackagedProgram, LauncherShowsThePoolAndClosesWithStatusZero)
{
    RunningProgram program(onTestDisplay(root + "/usr/bin/pelmora-" + std::to_string(GetParam()), "/"));
    ASSERT_NE(program.window, 0u) << "no window from the packaged launcher";
    const Picture picture = program.waitForWater();
    EXPECT_GT(blueShare(picture), waterShare) << "window " << picture.width << " x " << picture.height;
    ASSERT_TRUE(program.closeAndWait()) << "still running after the close request";
    const int status = program.child.status();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_P(PackagedProgram, RenderWritesAPicture)
{
    const TemporaryFolder folder;
    Launch render;
    render.arguments = {root + "/usr/bin/pelmora-render", "--build=" + std::to_string(GetParam()), "--ticks=0",
                        "--size=64x48", "--output=" + folder.path};
    render.directory = "/";
    const ProgramRun run = runProgram(render);
    Picture picture;
    const bool written = readPicture(folder.path + "/pelmora-" + std::to_string(GetParam()) + "-tick-000000.png", picture);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(written) << "no picture written";
    EXPECT_EQ(picture.width * picture.height, 64 * 48);
}

INSTANTIATE_TEST_SUITE_P(Builds, PackagedProgram, ::testing::Values(25, 50, 100), sizeName);
