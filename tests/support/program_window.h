#pragma once

// A pool program started on the test display with its window found: the
// fixture of the window tests, the damaged-data tests and the installed
// program's test.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/x_display.h"

// The title every pool window has.
extern const char* const poolTitle;

// Generous: software OpenGL, and sanitizer builds, start slowly.
constexpr double windowSeconds = 60.0;
constexpr double exitSeconds = 30.0;

// A rendered pool: at least this share of the window is water blue.
constexpr double waterShare = 0.05;

class ProgramWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program and waits for its window; false if none came in the seconds.
    bool start(const ChildSpec& launch, double seconds = windowSeconds);

    // True while the program runs; once it has ended, its status is in endStatus.
    bool running();

    // The window's picture once water is drawn in it, or the last one tried.
    Picture waitForWater();

    // True when the window's picture changes within the seconds while the program runs.
    bool keepsDrawing(double seconds);

    // Asks the window to close and waits for the program to end; false if it did not.
    bool closeAndWait(int& status);

    Display* display = nullptr;
    pid_t pid = 0;
    Window window = 0;
    int endStatus = 0;
};

// The render area of a pool window: the GL widget's own X window, the
// largest one inside the top-level window that does not fill it; 0 if none.
Window renderAreaOf(Display* display, Window window);

// A program started in the folder on the test display.
ChildSpec onTestDisplay(const std::string& program, const std::string& folder);

// A fresh folder of this test process, holding links to every file of the
// data folder, so that a test can put one file of its own in place of a link.
std::string linkedDataFolder(const std::string& data, const std::string& name);
