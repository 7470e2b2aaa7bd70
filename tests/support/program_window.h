#pragma once

// A pool program running on a display, with the test's own connection to
// that display and the program's window: what the window, damaged-data,
// Wayland, high-DPI and installed-program tests look at.

#include <string>

#include "support/child.h"
#include "support/virtual_display.h"
#include "support/windows.h"

// The title every pool window has.
extern const char* const poolTitle;

// Generous: software OpenGL, and sanitizer builds, start slowly.
constexpr double windowSeconds = 60.0;
constexpr double exitSeconds = 30.0;

// A rendered pool: at least this share of the window is water blue.
constexpr double waterShare = 0.05;

// Started on the launch's display, it waits up to the seconds for the
// program's window; ending, it ends the program, then closes the connection.
class RunningProgram {
public:
    explicit RunningProgram(const Launch& launch, double seconds = windowSeconds);

    // True while the program runs; once it has ended, its status is in child.status().
    bool running() { return child.running(); }

    // The window's picture once water is drawn in it, or the last one tried.
    Picture waitForWater();

    // True when the window's picture changes within the seconds while the program runs.
    bool keepsDrawing(double seconds);

    // The render area's picture as it is now; empty when there is none.
    Picture renderArea();

    // Asks the window to close and waits for the program to end; false if it did not.
    bool closeAndWait();

    const DisplayConnection display;
    Child child;
    const Window window;
};

// A program started in the folder on the test display.
Launch onTestDisplay(const std::string& program, const std::string& folder);

// Fills the folder with links to every file of the data folder, so that a
// test can put one file of its own in place of a link.
void linkData(const std::string& data, const std::string& folder);
