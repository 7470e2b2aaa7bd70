// The Windows programs under Wine, seen from this side: their window, popup
// menu and close on the virtual X server, their picture at tick 300 against
// this build's viewer, and the checker on the hostile models. They run the
// Windows build in PELMORA_WINDOWS_BUILD, one program at a time.

// Before Xlib's headers, whose macros (None, Bool) would clash with its names.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/child.h"
#include "support/files.h"
#include "support/hostile_model_table.h"
#include "support/live_viewer.h"
#include "support/pictures.h"
#include "support/program_window.h"
#include "support/virtual_display.h"
#include "support/waiting.h"
#include "support/windows.h"

namespace {

const std::string windowsBuild = PELMORA_WINDOWS_BUILD;
const std::string ownPrefix = std::string("PELMORA_WINEPREFIX=") + PELMORA_TESTS_WINEPREFIX;

const int builds[] = {25, 50, 100};

std::string buildName(int build)
{
    return "pelmora-" + std::to_string(build);
}

// The Windows program with its arguments, run under Wine with its DLLs in
// the data folder, on the display (none at all when empty), in the tests' own Wine prefix.
Launch underWine(const std::vector<std::string>& program, const std::string& display)
{
    Launch launch;
    launch.arguments = {windowsBuild + "/pelmora-wine"};
    launch.arguments.insert(launch.arguments.end(), program.begin(), program.end());
    launch.directory = PELMORA_DATA_DIR;
    launch.display = display;
    launch.environment = {ownPrefix};
    return launch;
}

// A close request ends the program's main loop; under Wine the program, not
// the wine command, must say 0.
void expectClosesWithZero(Display* display, Window window, Child& program)
{
    requestClose(display, window);
    ASSERT_TRUE(program.waitForExit(exitSeconds)) << "still running after the close request";
    EXPECT_TRUE(WIFEXITED(program.status()) && WEXITSTATUS(program.status()) == 0) << "wait status " << program.status();
}

// Ends every program of the tests' own Wine prefix, so that none outlives its test, even one that failed.
void endWine()
{
    const std::string stop = ownPrefix + " " + windowsBuild + "/pelmora-wine --stop";
    EXPECT_EQ(std::system(stop.c_str()), 0) << stop;
}

class WindowsProgram : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { endWine(); }

    const DisplayConnection display = openDisplay(testDisplay());
    const std::string name = buildName(GetParam());
};

class WindowsChecker : public ::testing::TestWithParam<HostileModel> {
protected:
    void TearDown() override { endWine(); }
};

}

TEST_P(WindowsProgram, OpensItsTitledWindowWithoutARefusalAndEndsWithZeroWhenClosed)
{
    ASSERT_NE(display, nullptr) << "cannot open the test display " << testDisplay();
    Child pool(underWine({windowsBuild + "/" + name + ".exe"}, testDisplay()));
    const Window window = waitForWindow(display.get(), 0, poolTitle, windowSeconds);
    ASSERT_NE(window, 0u) << "no window titled \"" << poolTitle << "\"";
    expectClosesWithZero(display.get(), window, pool);
    EXPECT_TRUE(ownLines(pool.errors(), name).empty()) << pool.errors();
}

// Its drops, waves and caustics, drawn as on Linux: the ticks ran, the same
// figures came out, and Coin drew them alike.
TEST_P(WindowsProgram, DrawsTick300AsTheLinuxViewerDoes)
{
    ASSERT_NE(display, nullptr) << "cannot open the test display " << testDisplay();
    const Picture live = liveViewerAtTick300(std::string(PELMORA_VIEWER_AT_TICK_FOLDER) + "/pelmora-viewer-at-tick-"
        + std::to_string(GetParam()), PELMORA_DATA_DIR);
    ASSERT_GT(live.width, 0) << "the Linux viewer reported no window";

    const TemporaryFolder folder;
    const std::string picturePath = folder.path + "/tick300.ppm";
    Launch launch = underWine({windowsBuild + "/pelmora-viewer-readback-" + std::to_string(GetParam()) + ".exe", picturePath,
                               std::to_string(live.width) + "x" + std::to_string(live.height)}, testDisplay());
    launch.output = Output::kept;
    Child viewer(launch);
    // "WIDTH HEIGHT" once the picture is written.
    ASSERT_TRUE(waitUntil([&] { return viewer.output().find('\n') != std::string::npos || !viewer.running(); }, reportSeconds));
    ASSERT_NE(viewer.output().find('\n'), std::string::npos) << "no picture was read back";
    const Window window = waitForWindow(display.get(), 0, poolTitle, windowSeconds);
    ASSERT_NE(window, 0u) << "no window titled \"" << poolTitle << "\"";
    expectClosesWithZero(display.get(), window, viewer);

    Picture readBack;
    ASSERT_TRUE(readPicture(picturePath, readBack)) << picturePath;
    expectMatchesLiveViewer(readBack, live, GetParam());
}

INSTANTIATE_TEST_SUITE_P(EachBuild, WindowsProgram, ::testing::ValuesIn(builds),
    [](const ::testing::TestParamInfo<int>& param) { return "Pelmora" + std::to_string(param.param); });

// What does not depend on the grid size, tried on one build.
class WindowsViewer : public ::testing::Test {
protected:
    void TearDown() override { endWine(); }
};

// The examiner viewer's own menu, a native one on Windows.
TEST_F(WindowsViewer, PopupMenuOpensAtARightClick)
{
    const DisplayConnection display = openDisplay(testDisplay());
    ASSERT_NE(display, nullptr) << "cannot open the test display " << testDisplay();
    Child pool(underWine({windowsBuild + "/pelmora-25.exe"}, testDisplay()));
    const Window window = waitForWindow(display.get(), 0, poolTitle, windowSeconds);
    ASSERT_NE(window, 0u) << "no window titled \"" << poolTitle << "\"";
    // Wine keeps the render area inside the window's own X window: the click goes to the middle of that.
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display.get(), window, &attributes));
    const std::string click = "DISPLAY=" + testDisplay() + " xdotool mousemove --window " + std::to_string(window) + " "
        + std::to_string(attributes.width / 2) + " " + std::to_string(attributes.height / 2) + " click 3";
    ASSERT_EQ(std::system(click.c_str()), 0) << click;
    EXPECT_TRUE(waitUntil([&] { return openMenu(display.get()) != 0; }, windowSeconds)) << "no menu opened";
    const std::string escape = "DISPLAY=" + testDisplay() + " xdotool key Escape";
    ASSERT_EQ(std::system(escape.c_str()), 0) << escape;
    EXPECT_TRUE(waitUntil([&] { return openMenu(display.get()) == 0; }, windowSeconds)) << "the menu stayed open";
    expectClosesWithZero(display.get(), window, pool);
}

TEST_F(WindowsViewer, WithoutAWindowTheProgramSaysSoAndEndsWithOne)
{
    const ProgramRun run = runProgram(underWine({windowsBuild + "/pelmora-25.exe"}, ""));
    EXPECT_EQ(run.status, 1) << run.errors;
    const std::vector<std::string> lines = ownLines(run.errors, "pelmora-25");
    ASSERT_EQ(lines.size(), 1u) << run.errors;
    EXPECT_NE(lines[0].find("no window"), std::string::npos) << lines[0];
}

// A noisy texture and a cut model give the lines they give on Linux, and a
// missing texture the scene library's own message there, not a message box
// that waits for a click; the pool is drawn all the same.
TEST_F(WindowsViewer, DamagedDataGivesTheLinuxProgramsLines)
{
    const TemporaryFolder folder;
    linkData(PELMORA_DATA_DIR, folder.path);
    const std::string model = folder.path + "/3DModel/julii.wrl";
    const std::string cut = fileBytes(model).substr(0, 200);
    for (const std::string damaged : {"/texture/water.jpg", "/textures/wall.jpg", "/3DModel/julii.wrl"}) {
        std::filesystem::remove(folder.path + damaged);
    }
    writeFile(folder.path + "/texture/water.jpg", std::string(4096, '\x5a'));
    writeFile(model, cut);
    const std::string missing = "Image file 'textures/wall.jpg' could not be read";

    std::vector<std::string> linuxLines;
    {
        RunningProgram linux(onTestDisplay(std::string(PELMORA_VIEWER_AT_TICK_FOLDER) + "/pelmora-25", folder.path));
        ASSERT_NE(linux.window, 0u) << "no window titled \"" << poolTitle << "\" on Linux";
        ASSERT_TRUE(linux.closeAndWait());
        linuxLines = ownLines(linux.child.errors(), "pelmora-25");
        EXPECT_NE(linux.child.errors().find(missing), std::string::npos);
    }
    EXPECT_EQ(linuxLines.size(), 2u) << "one line for each damaged file";

    const DisplayConnection display = openDisplay(testDisplay());
    ASSERT_NE(display, nullptr) << "cannot open the test display " << testDisplay();
    Launch launch = underWine({windowsBuild + "/pelmora-25.exe"}, testDisplay());
    launch.directory = folder.path;
    Child pool(launch);
    const Window window = waitForWindow(display.get(), 0, poolTitle, windowSeconds);
    ASSERT_NE(window, 0u) << "no window titled \"" << poolTitle << "\"";
    expectClosesWithZero(display.get(), window, pool);
    EXPECT_EQ(ownLines(pool.errors(), "pelmora-25"), linuxLines);
    EXPECT_NE(pool.errors().find(missing), std::string::npos) << pool.errors();
}

// Run by hand under Wine, where the job's own limits on memory and processor
// time are not enforced, the checker's wall clock still ends the bombs.
TEST_P(WindowsChecker, EndsWithTheStatusItHasOnLinux)
{
    const TemporaryFolder folder;
    expectCheckerEndsWithItsStatus({"env", ownPrefix, windowsBuild + "/pelmora-wine", windowsBuild + "/pelmora-model-check.exe"},
                                   GetParam(), folder.path);
}

INSTANTIATE_TEST_SUITE_P(EachHostileModel, WindowsChecker, ::testing::ValuesIn(hostileModels, hostileModels + hostileModelCount),
    [](const ::testing::TestParamInfo<HostileModel>& param) { return std::string(param.param.name); });
