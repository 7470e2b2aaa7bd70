#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "x_session.h"

// The programs as the Debian package installs them, run from the package
// unpacked into a folder of the build (tests/package_build.sh): nothing is
// installed on the system.

namespace {

const std::string root = PELMORA_PACKAGE_ROOT;
constexpr double startSeconds = 60.0;
constexpr double exitSeconds = 30.0;
constexpr double waterShare = 0.05;

class PackagedProgram : public ::testing::TestWithParam<int> {};

std::string sizeName(const ::testing::TestParamInfo<int>& info)
{
    return "pelmora_" + std::to_string(info.param);
}

// The first eight bytes of every PNG file.
bool startsAsPng(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    char head[8] = {};
    file.read(head, sizeof head);
    return file.gcount() == sizeof head && std::string(head, sizeof head) == "\x89PNG\r\n\x1a\n";
}

}

TEST_P(PackagedProgram, LauncherShowsThePoolAndClosesWithStatusZero)
{
    Display* display = openVirtualDisplay();
    ASSERT_NE(display, nullptr);
    const pid_t pid = startProgram(root + "/usr/bin/pelmora-" + std::to_string(GetParam()), "/", virtualDisplay());
    const Window window = waitForWindow(display, "Pel Mora", startSeconds);
    Picture picture;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(startSeconds);
    while (window != 0 && blueShare(picture) <= waterShare && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        picture = grabWindow(display, window);
    }
    if (window != 0) {
        requestClose(display, window);
    }
    int status = 0;
    const bool ended = waitForExit(pid, status, exitSeconds);
    if (!ended) {
        stopProgram(pid);
    }
    XCloseDisplay(display);
    ASSERT_NE(window, 0u) << "no window from the packaged launcher";
    EXPECT_GT(blueShare(picture), waterShare) << "window " << picture.width << " x " << picture.height;
    ASSERT_TRUE(ended) << "still running after the close request";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_P(PackagedProgram, RenderWritesAPicture)
{
    const std::string folder = ::testing::TempDir() + "pelmora-package-render-" + std::to_string(getpid());
    ASSERT_EQ(std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str()), 0);
    const std::string command = "cd / && '" + root + "/usr/bin/pelmora-render' --build=" + std::to_string(GetParam()) +
                                " --ticks=0 --size=64x48 --output='" + folder + "' 2>&1";
    const int run = std::system(("DISPLAY=" + virtualDisplay() + " " + command).c_str());
    const int status = WIFEXITED(run) ? WEXITSTATUS(run) : -1;
    const std::string picture = folder + "/pelmora-" + std::to_string(GetParam()) + "-tick-000000.png";
    const bool written = startsAsPng(picture);
    EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0) << "cannot remove " << folder;
    EXPECT_EQ(status, 0) << "exit status of " << command;
    EXPECT_TRUE(written) << picture << " is no PNG file";
}

INSTANTIATE_TEST_SUITE_P(Builds, PackagedProgram, ::testing::Values(25, 50, 100), sizeName);
