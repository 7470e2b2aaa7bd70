#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <X11/Xlib.h>

// A private virtual X server for this test process, started on first use and
// stopped at exit. Returns its display name, e.g. ":3".
const std::string& virtualDisplay();

// A connection to the virtual display.
Display* openVirtualDisplay();

// Starts a program in a working directory. With a display name it is handed
// DISPLAY; with an empty one DISPLAY is removed from its environment.
pid_t startProgram(const std::string& program, const std::string& directory, const std::string& display);

// Top-level windows whose title is the given one.
std::vector<Window> windowsTitled(Display* display, const std::string& title);

// Waits up to the given seconds for one window with the title; 0 if none came.
Window waitForWindow(Display* display, const std::string& title, double seconds);

// The window's pixels, 3 bytes (red, green, blue) each, row after row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};
Picture grabWindow(Display* display, Window window);

// Share of a picture's pixels that are clearly blue: blue well above red.
double blueShare(const Picture& picture);

// Pixels that differ between two pictures of the same size.
long differingPixels(const Picture& first, const Picture& second);

// Asks the window to close, as a window manager's close button would.
void requestClose(Display* display, Window window);

// Waits up to the given seconds for the process to end; false if it did not.
bool waitForExit(pid_t pid, int& status, double seconds);

// Ends a process that is still running and reaps it.
void stopProgram(pid_t pid);
