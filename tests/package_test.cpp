#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "support/pictures.h"
#include "support/program_window.h"

// The programs as the Debian package installs them, run from the package
// unpacked into a folder of the build (tests/package_build.sh): nothing is
// installed on the system.

namespace {

const std::string root = PELMORA_PACKAGE_ROOT;

class PackagedProgram : public ProgramWindowTest, public ::testing::WithParamInterface<int> {};

std::string sizeName(const ::testing::TestParamInfo<int>& info)
{
    return "pelmora_" + std::to_string(info.param);
}

}

TEST_P(PackagedProgram, LauncherShowsThePoolAndClosesWithStatusZero)
{
    ASSERT_TRUE(start(onTestDisplay(root + "/usr/bin/pelmora-" + std::to_string(GetParam()), "/")))
        << "no window from the packaged launcher";
    const Picture picture = waitForWater();
    EXPECT_GT(blueShare(picture), waterShare) << "window " << picture.width << " x " << picture.height;
    int status = 0;
    ASSERT_TRUE(closeAndWait(status)) << "still running after the close request";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_P(PackagedProgram, RenderWritesAPicture)
{
    const std::string folder = ::testing::TempDir() + "pelmora-package-render-" + std::to_string(getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ChildSpec render;
    render.arguments = {root + "/usr/bin/pelmora-render", "--build=" + std::to_string(GetParam()), "--ticks=0",
                        "--size=64x48", "--output=" + folder};
    render.directory = "/";
    const ProgramRun run = runProgram(render);
    Picture picture;
    const bool written = readPicture(folder + "/pelmora-" + std::to_string(GetParam()) + "-tick-000000.png", picture);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(written) << "no picture written";
    EXPECT_EQ(picture.width * picture.height, 64 * 48);
}

INSTANTIATE_TEST_SUITE_P(Builds, PackagedProgram, ::testing::Values(25, 50, 100), sizeName);
