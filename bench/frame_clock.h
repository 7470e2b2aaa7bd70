#pragma once

#include <chrono>
#include <string>

class SoGLRenderAction;

// The clocks of the live harnesses: a frame starts where the viewer's render
// action starts its traversal and ends where the next frame starts or the
// event loop is next idle, which comes once the frame is drawn and handed to
// the X server.
using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point start, Clock::time_point end);

struct FrameCounts {
    long frames = 0;
    double frameSeconds = 0.0;
    bool inFrame = false;
    Clock::time_point frameStart;
    Clock::time_point firstFrameDrawn;
    std::string renderer;
};

extern FrameCounts frameCounts;

// Ends the frame being drawn, if any, at now.
void endFrame(Clock::time_point now);

// A pre-render callback of the viewer's render action: ends the frame before
// and starts the next, and names the GL renderer on the first.
void frameStarts(void*, SoGLRenderAction*);

// The start-up lines: the viewer shown and the first frame drawn, from main()
// and from the process's start as the kernel recorded it (the dynamic loader
// and everything before main() included). Every harness prints them in the
// same words, which bench/first_frame.sh reads.
void printStartUp(Clock::time_point mainStart, Clock::time_point viewerShown, Clock::time_point firstFrameDrawn);
