#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <regex>
#include <string>

#include "support/files.h"
#include "support/program_window.h"
#include "support/waiting.h"

// The program in a Wayland session, as Debian's desktop starts one: a
// Wayland compositor (weston, headless here) with its X server, XWayland.
// The pool is drawn through XWayland, whatever the session asks of Qt.

namespace {

// Longest wait for weston to say on which display its X server listens.
constexpr double westonSeconds = 30.0;

// Headless weston with XWayland, its socket and log in the runtime folder.
Launch weston(const std::string& runtime, const std::string& socket)
{
    Launch launch;
    launch.arguments = {"weston", "--backend=headless-backend.so", "--xwayland", "--socket=" + socket,
                        "--width=1600", "--height=1200", "--idle-time=0", "--log=" + runtime + "/weston.log"};
    launch.environment = {"XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY", "WAYLAND_SOCKET"};
    return launch;
}

class WaylandSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        // "xserver listening on display :N" once its X server takes clients.
        const std::regex listening("xserver listening on display (:[0-9]+)");
        std::smatch found;
        std::string log;
        waitUntil([&] {
            log = fileBytes(runtime.path + "/weston.log");
            return std::regex_search(log, found, listening) || !compositor.running();
        }, westonSeconds);
        if (found.empty()) {
            GTEST_SKIP() << "weston with XWayland did not start here: " << log;
        }
        xDisplay = found[1];
    }

    // Asked to end, weston takes its X server along.
    void TearDown() override
    {
        if (compositor.running()) {
            kill(compositor.pid(), SIGTERM);
            compositor.waitForExit(westonSeconds);
        }
    }

    // Its socket and log, and XDG_RUNTIME_DIR for the session.
    const TemporaryFolder runtime;
    const std::string socket = "pelmora-" + std::to_string(getpid());
    Child compositor{weston(runtime.path, socket)};
    std::string xDisplay;
};

}

TEST_F(WaylandSession, PoolIsDrawnThroughXWaylandWhenWaylandIsAsked)
{
    Launch launch = onTestDisplay(PELMORA_PROGRAM, PELMORA_DATA_DIR);
    launch.display = xDisplay;
    launch.environment = {"XDG_RUNTIME_DIR=" + runtime.path, "WAYLAND_DISPLAY=" + socket, "XDG_SESSION_TYPE=wayland",
                          "QT_QPA_PLATFORM=wayland"};
    RunningProgram program(launch);
    ASSERT_NE(program.window, 0u) << "no window on XWayland's display " << xDisplay;
    Picture area;
    waitUntil([&] {
        area = program.renderArea();
        return blueShare(area) > waterShare;
    }, windowSeconds);
    EXPECT_GT(blueShare(area), waterShare) << "render area " << area.width << " x " << area.height << " shows no water";
}
