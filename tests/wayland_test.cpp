#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "support/pool.h"
#include "support/program_window.h"

// The program in a Wayland session, as Debian's desktop starts one: a
// Wayland compositor (weston, headless here) with its X server, XWayland.
// The pool is drawn through XWayland, whatever the session asks of Qt.

namespace {

namespace fs = std::filesystem;

// Longest wait for weston to say on which display its X server listens.
constexpr double westonSeconds = 30.0;

class WaylandSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/pelmora-wayland-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        runtime = pattern;
        socket = "pelmora-" + std::to_string(getpid());
        ChildSpec weston;
        weston.arguments = {"weston", "--backend=headless-backend.so", "--xwayland", "--socket=" + socket,
                            "--width=1600", "--height=1200", "--idle-time=0", "--log=" + runtime + "/weston.log"};
        weston.environment = {"XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY", "WAYLAND_SOCKET"};
        compositor = startChild(weston);
        // "xserver listening on display :N" once its X server takes clients.
        const std::regex listening("xserver listening on display (:[0-9]+)");
        std::smatch found;
        std::string log;
        waitUntil([&] {
            log = fileBytes(runtime + "/weston.log");
            int status = 0;
            return std::regex_search(log, found, listening) || waitpid(compositor, &status, WNOHANG) == compositor;
        }, westonSeconds);
        if (found.empty()) {
            GTEST_SKIP() << "weston with XWayland did not start here: " << log;
        }
        xDisplay = found[1];
        display = openDisplay(xDisplay);
        ASSERT_NE(display, nullptr) << "cannot open XWayland's display " << xDisplay;
    }

    void TearDown() override
    {
        if (program > 0) {
            stopChild(program);
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        if (compositor > 0) {
            kill(compositor, SIGTERM);
            int status = 0;
            waitForExit(compositor, status, westonSeconds);
        }
        fs::remove_all(runtime);
    }

    std::string runtime;
    std::string socket;
    std::string xDisplay;
    Display* display = nullptr;
    pid_t compositor = 0;
    pid_t program = 0;
};

}

TEST_F(WaylandSession, PoolIsDrawnThroughXWaylandWhenWaylandIsAsked)
{
    ChildSpec launch = onTestDisplay(PELMORA_PROGRAM, PELMORA_DATA_DIR);
    launch.display = xDisplay;
    launch.environment = {"XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY=" + socket, "XDG_SESSION_TYPE=wayland",
                          "QT_QPA_PLATFORM=wayland"};
    program = startChild(launch);
    const Window window = waitForWindow(display, program, poolTitle, windowSeconds);
    ASSERT_NE(window, 0u) << "no window on XWayland's display " << xDisplay;
    Picture area;
    waitUntil([&] {
        const Window inside = renderAreaOf(display, window);
        area = inside == 0 ? Picture() : grabWindow(display, inside);
        return blueShare(area) > waterShare;
    }, windowSeconds);
    EXPECT_GT(blueShare(area), waterShare) << "render area " << area.width << " x " << area.height << " shows no water";
}
