#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>

#include "x_session.h"

namespace {

const std::string program = PELMORA_PROGRAM;
const std::string dataFolder = PELMORA_DATA_DIR;
const std::string title = "Pel Mora";

// Generous: software OpenGL, and sanitizer builds, start slowly.
constexpr double startSeconds = 60.0;
constexpr double exitSeconds = 30.0;

// A rendered pool: at least this share of the window is water blue.
constexpr double waterShare = 0.05;

class ProgramWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        display = openVirtualDisplay();
        ASSERT_NE(display, nullptr);
        pid = startProgram(program, dataFolder, virtualDisplay());
        window = waitForWindow(display, title, startSeconds);
        ASSERT_NE(window, 0u) << "no window titled \"" << title << "\" appeared";
    }

    void TearDown() override
    {
        if (pid > 0) {
            stopProgram(pid);
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    // The window's picture once the water has been drawn, or the last one tried.
    Picture waitForWater()
    {
        Picture picture;
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(startSeconds);
        while (std::chrono::steady_clock::now() < end) {
            picture = grabWindow(display, window);
            if (blueShare(picture) > waterShare) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return picture;
    }

    Display* display = nullptr;
    pid_t pid = 0;
    Window window = 0;
};

}

TEST_F(ProgramWindow, OneWindowTitledPelMoraAppears)
{
    EXPECT_EQ(windowsTitled(display, title).size(), 1u);
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
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const Picture second = grabWindow(display, window);
    ASSERT_EQ(first.rgb.size(), second.rgb.size());
    EXPECT_GT(differingPixels(first, second), 100);
}

TEST_F(ProgramWindow, ClosingTheWindowExitsWithStatusZero)
{
    waitForWater();
    requestClose(display, window);
    int status = 0;
    ASSERT_TRUE(waitForExit(pid, status, exitSeconds)) << "still running after the close request";
    pid = 0;
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

namespace {

// How the program ends when started with the given DISPLAY (empty: none at all).
int exitStatusWithDisplay(const std::string& display)
{
    const pid_t pid = startProgram(program, dataFolder, display);
    int status = 0;
    if (!waitForExit(pid, status, exitSeconds)) {
        stopProgram(pid);
        ADD_FAILURE() << "still running without a display";
        return -1;
    }
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
