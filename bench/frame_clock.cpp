#include "frame_clock.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include <GL/gl.h>

FrameCounts frameCounts;

double secondsBetween(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double>(end - start).count();
}

void endFrame(Clock::time_point now)
{
    if (!frameCounts.inFrame) {
        return;
    }
    frameCounts.inFrame = false;
    if (frameCounts.frames++ == 0) {
        frameCounts.firstFrameDrawn = now;
    }
    frameCounts.frameSeconds += secondsBetween(frameCounts.frameStart, now);
}

void frameStarts(void*, SoGLRenderAction*)
{
    const Clock::time_point now = Clock::now();
    endFrame(now);
    frameCounts.inFrame = true;
    frameCounts.frameStart = now;
    if (frameCounts.renderer.empty()) {
        frameCounts.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    }
}

namespace {

// When this process was started, in seconds since boot, to the kernel's clock tick.
double processStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // The fields after the command's closing parenthesis; the start time is the 20th of them.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int n = 0; n < 20; ++n) {
        fields >> field;
    }
    return std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}

void printStartUp(Clock::time_point mainStart, Clock::time_point viewerShown, Clock::time_point firstFrameDrawn)
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double sinceFirstFrame = secondsBetween(firstFrameDrawn, Clock::now());
    const double firstFrameSinceBoot = now.tv_sec + now.tv_nsec * 1.0e-9 - sinceFirstFrame;
    std::printf("    viewer shown                   %10.1f\n", secondsBetween(mainStart, viewerShown) * 1e3);
    std::printf("    first frame drawn              %10.1f\n", secondsBetween(mainStart, firstFrameDrawn) * 1e3);
    std::printf("    first frame drawn, from launch %10.1f\n", (firstFrameSinceBoot - processStart()) * 1e3);
}
