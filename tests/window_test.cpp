#include <gtest/gtest.h>

#include <sys/wait.h>

#include <string>

#include "support/program_window.h"

namespace {

// Water moves this many pixels at least between two pictures a second apart.
constexpr long movingPixels = 100;

class ProgramWindow : public ProgramWindowTest {
protected:
    void SetUp() override
    {
        ProgramWindowTest::SetUp();
        ASSERT_TRUE(start(onTestDisplay(PELMORA_PROGRAM, PELMORA_DATA_DIR))) << "no window titled \"" << poolTitle << "\" appeared";
    }
};

// How the program ends when started with the given DISPLAY (empty: none at all).
int exitStatusWithDisplay(const std::string& display)
{
    ChildSpec launch = onTestDisplay(PELMORA_PROGRAM, PELMORA_DATA_DIR);
    launch.display = display;
    const pid_t pid = startChild(launch);
    int status = 0;
    if (!waitForExit(pid, status, exitSeconds)) {
        stopChild(pid);
        ADD_FAILURE() << "still running without a display";
        return -1;
    }
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}

TEST_F(ProgramWindow, OneWindowTitledPelMoraAppears)
{
    EXPECT_EQ(windowsOf(display, pid, poolTitle).size(), 1u);
}

TEST_F(ProgramWindow, ShowsTheWater)
{
    const Picture picture = waitForWater();
    ASSERT_GT(picture.width, 0);
    EXPECT_GT(blueShare(picture), waterShare) << "window " << picture.width << " x " << picture.height;
}

TEST_F(ProgramWindow, WavesMoveFromOneSecondToTheNext)
{
    const Picture first = waitForWater();
    const bool moved = waitUntil(
        [&] { return differingPixels(first, grabWindow(display, window), wholePicture(first)) > movingPixels; }, 1.0);
    EXPECT_TRUE(moved) << "fewer than " << movingPixels << " pixels changed within a second";
}

TEST_F(ProgramWindow, ClosingTheWindowExitsWithStatusZero)
{
    waitForWater();
    int status = 0;
    ASSERT_TRUE(closeAndWait(status)) << "still running after the close request";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
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
