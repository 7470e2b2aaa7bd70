#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "config/build_config.h"
#include "picture.h"
#include "program_run.h"
#include "virtual_display.h"

namespace {

// How far pelmora-render's picture at tick 300 may stray from the live
// viewer's render area at the same size: share of pixels that differ at
// all, and the largest difference of one channel. Measured on Mesa 22.3's
// software rasteriser (EGL for the renderer, GLX on Xvfb for the viewer)
// at the viewer's 440 x 360: 25 gives 106 pixels (0.067 %) off by at most 1,
// 50 gives 155 (0.098 %) off by 1, 100 gives 39 (0.025 %) off by up to 7;
// then given a small margin.
struct Tolerance {
    int build;
    double share;
    int channel;
};
const Tolerance tolerances[] = {{25, 0.001, 2}, {50, 0.0015, 2}, {100, 0.0005, 10}};

// Longest wait for the viewer to reach tick 300 and draw it.
constexpr int reportMilliseconds = 120000;

// The harness started with its standard output on a pipe.
pid_t startHarness(const std::string& display, int& output)
{
    int ends[2];
    if (pipe(ends) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        dup2(ends[1], STDOUT_FILENO);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        execl(PELMORA_VIEWER_AT_TICK, PELMORA_VIEWER_AT_TICK, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    output = ends[0];
    return child;
}

// The harness's one line, "WINDOW WIDTH HEIGHT"; empty if none came in time.
std::string reportLine(int output)
{
    std::string line;
    pollfd wait = {output, POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, reportMilliseconds) == 1 && read(output, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

// The window's pixels as the X server holds them.
Picture grabWindow(const std::string& display, Window window, int width, int height)
{
    Picture picture;
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return picture;
    }
    XImage* image = XGetImage(connection, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (image != nullptr) {
        picture.width = width;
        picture.height = height;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                picture.rgb.push_back(static_cast<unsigned char>((pixel & image->red_mask) >> 16));
                picture.rgb.push_back(static_cast<unsigned char>((pixel & image->green_mask) >> 8));
                picture.rgb.push_back(static_cast<unsigned char>(pixel & image->blue_mask));
            }
        }
        XDestroyImage(image);
    }
    XCloseDisplay(connection);
    return picture;
}

int largestChannelDifference(const Picture& one, const Picture& other)
{
    int largest = 0;
    for (std::size_t n = 0; n < one.rgb.size(); ++n) {
        largest = std::max(largest, std::abs(one.rgb[n] - other.rgb[n]));
    }
    return largest;
}

}

TEST(ViewerMatch, RendererPictureMatchesTheLiveViewerAtTick300)
{
    const Tolerance* tolerance = nullptr;
    for (const Tolerance& each : tolerances) {
        tolerance = each.build == gridSize ? &each : tolerance;
    }
    ASSERT_NE(tolerance, nullptr);
    VirtualDisplay display = startVirtualDisplay({});
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    int output = -1;
    const pid_t harness = startHarness(display.name, output);
    std::istringstream report(reportLine(output));
    unsigned long window = 0;
    int width = 0;
    int height = 0;
    report >> window >> width >> height;
    const Picture live = report ? grabWindow(display.name, window, width, height) : Picture();
    kill(harness, SIGTERM);
    waitpid(harness, nullptr, 0);
    close(output);
    stopVirtualDisplay(display);
    ASSERT_GT(live.width, 0) << "the viewer did not report its window, or it could not be grabbed";

    char folder[] = "/tmp/pelmora-viewer-match-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const ProgramRun run = runProgram({PELMORA_RENDER_PROGRAM, "--build=" + std::to_string(gridSize), "--ticks=300",
                                       "--size=" + size, "--output=" + std::string(folder) + "/{tick}.png"},
                                      {});
    Picture rendered;
    const bool read = readPicture(std::string(folder) + "/000300.png", rendered);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_TRUE(read);
    ASSERT_EQ(rendered.width * rendered.height, width * height);

    const double share = static_cast<double>(differingPixels(live, rendered, wholePicture(live))) / (width * height);
    EXPECT_LE(share, tolerance->share) << "share of differing pixels at " << size;
    EXPECT_LE(largestChannelDifference(live, rendered), tolerance->channel) << "largest channel difference at "
                                                                             << size;
}
