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
