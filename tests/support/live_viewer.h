#pragma once

// The live viewer's picture at tick 300, and how far another picture of the
// same tick at the same size may stray from it.

#include <string>

#include "support/pictures.h"

// Share of pixels that may differ at all, and the largest difference of one
// channel, for one build. Measured on Mesa 22.3's software rasteriser at the
// viewer's 440 x 360: pelmora-render (EGL) against the viewer (GLX on Xvfb),
// 25 gives 106 pixels (0.067 %) off by at most 1, 50 gives 155 (0.098 %) off
// by 1, 100 gives 39 (0.025 %) off by up to 7; then given a small margin.
struct ViewerTolerance {
    int build;
    double share;
    int channel;
};
const ViewerTolerance& viewerTolerance(int build);

// Longest wait for a viewer to reach tick 300 and draw it.
constexpr double reportSeconds = 120.0;

// Starts the harness (the program stopped at tick 300) in the folder on the
// test display and grabs its render area once it has drawn that tick; an
// empty picture when it reported no window.
Picture liveViewerAtTick300(const std::string& harness, const std::string& folder);

// Expects the picture to stray from the live one no further than the build's tolerance.
void expectMatchesLiveViewer(const Picture& picture, const Picture& live, int build);
