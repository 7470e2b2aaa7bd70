// Before Xlib's headers, whose macros (None, Bool) would clash with its names.
#include <gtest/gtest.h>

#include "support/live_viewer.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/child.h"
#include "support/virtual_display.h"
#include "support/waiting.h"
#include "support/windows.h"

namespace {

const ViewerTolerance tolerances[] = {{25, 0.001, 2}, {50, 0.0015, 2}, {100, 0.0005, 10}};

int largestChannelDifference(const Picture& one, const Picture& other)
{
    int largest = 0;
    for (std::size_t n = 0; n < one.rgb.size() && n < other.rgb.size(); ++n) {
        largest = std::max(largest, std::abs(one.rgb[n] - other.rgb[n]));
    }
    return largest;
}

}

const ViewerTolerance& viewerTolerance(int build)
{
    for (const ViewerTolerance& each : tolerances) {
        if (each.build == build) {
            return each;
        }
    }
    static const ViewerTolerance none = {0, 0.0, 0};
    return none;
}

Picture liveViewerAtTick300(const std::string& harness, const std::string& folder)
{
    Launch launch;
    launch.arguments = {harness};
    launch.directory = folder;
    launch.display = testDisplay();
    launch.output = Output::kept;
    const DisplayConnection display = openDisplay(testDisplay());
    if (display == nullptr) {
        ADD_FAILURE() << "cannot open the test display " << testDisplay();
        return Picture();
    }
    Child viewer(launch);
    // One line, "WINDOW WIDTH HEIGHT", once the viewer has drawn tick 300.
    waitUntil([&] { return viewer.output().find('\n') != std::string::npos; }, reportSeconds);
    std::istringstream line(viewer.output());
    unsigned long window = 0;
    int width = 0;
    int height = 0;
    line >> window >> width >> height;
    const Picture live = line ? grabWindow(display.get(), window) : Picture();
    EXPECT_EQ(live.width * live.height, width * height) << "the viewer did not report a window that could be grabbed";
    return live;
}

void expectMatchesLiveViewer(const Picture& picture, const Picture& live, int build)
{
    const ViewerTolerance& tolerance = viewerTolerance(build);
    const std::string size = std::to_string(live.width) + "x" + std::to_string(live.height);
    ASSERT_EQ(picture.width * picture.height, live.width * live.height) << "not the viewer's size, " << size;
    const double share = static_cast<double>(differingPixels(live, picture, wholePicture(live))) / (live.width * live.height);
    EXPECT_LE(share, tolerance.share) << "share of differing pixels at " << size;
    EXPECT_LE(largestChannelDifference(live, picture), tolerance.channel) << "largest channel difference at " << size;
}
