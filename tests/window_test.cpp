#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include <X11/Xatom.h>

#include "support/files.h"
#include "support/program_window.h"
#include "support/waiting.h"

namespace {

// Water moves this many pixels at least between two pictures a second apart.
constexpr long movingPixels = 100;

class ProgramWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(program.window, 0u) << "no window titled \"" << poolTitle << "\" appeared"; }

    RunningProgram program{onTestDisplay(PELMORA_PROGRAM, PELMORA_DATA_DIR)};
    Display* const display = program.display.get();
    const Window window = program.window;
};

}

TEST_F(ProgramWindow, OneWindowTitledPelMoraAppears)
{
    EXPECT_EQ(windowsOf(display, program.child.pid(), poolTitle).size(), 1u);
}

// Docks and task switchers match a window to its menu entry by its class, and
// show the icon and icon name it carries.
TEST_F(ProgramWindow, BelongsToItsMenuEntryWithThePoolsIconAndName)
{
    const std::string classes = windowProperty(display, window, "WM_CLASS", XA_STRING);
    const std::string windowClass = classes.substr(classes.find('\0') + 1, classes.size() - classes.find('\0') - 2);
    const std::filesystem::path entry = PELMORA_DESKTOP_ENTRY;
    EXPECT_EQ(windowClass, entry.stem().string()) << "WM_CLASS " << classes;
    EXPECT_NE(fileBytes(entry).find("\nStartupWMClass=" + windowClass + "\n"), std::string::npos) << entry;
    EXPECT_EQ(windowProperty(display, window, "_NET_WM_ICON_NAME", XInternAtom(display, "UTF8_STRING", False)), poolTitle);

    // Icons of several sizes, each its width, its height, then its pixels.
    const std::string icons = windowProperty(display, window, "_NET_WM_ICON", XA_CARDINAL);
    std::vector<long> items(icons.size() / sizeof(long));
    icons.copy(reinterpret_cast<char*>(items.data()), items.size() * sizeof(long));
    int sizes = 0;
    long colouredPixels = 0;
    for (std::size_t at = 0; at + 2 <= items.size() && items[at] > 0; at += 2 + items[at] * items[at + 1], ++sizes) {
        ASSERT_LE(at + 2 + items[at] * items[at + 1], items.size()) << "icon " << items[at] << " x " << items[at + 1];
        for (long n = 0; n < items[at] * items[at + 1]; ++n) {
            colouredPixels += (items[at + 2 + n] & 0xFFFFFF) != 0;
        }
    }
    EXPECT_GE(sizes, 2) << "the window carries " << sizes << " icon sizes";
    EXPECT_GT(colouredPixels, 0) << "the icons are black";
}

TEST_F(ProgramWindow, ShowsTheWater)
{
    const Picture picture = program.waitForWater();
    ASSERT_GT(picture.width, 0);
    EXPECT_GT(blueShare(picture), waterShare) << "window " << picture.width << " x " << picture.height;
}

TEST_F(ProgramWindow, WavesMoveFromOneSecondToTheNext)
{
    const Picture first = program.waitForWater();
    const bool moved = waitUntil(
        [&] { return differingPixels(first, grabWindow(display, window), wholePicture(first)) > movingPixels; }, 1.0);
    EXPECT_TRUE(moved) << "fewer than " << movingPixels << " pixels changed within a second";
}

TEST_F(ProgramWindow, ClosingTheWindowExitsWithStatusZero)
{
    program.waitForWater();
    ASSERT_TRUE(program.closeAndWait()) << "still running after the close request";
    const int status = program.child.status();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
