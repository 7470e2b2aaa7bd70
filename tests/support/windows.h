#pragma once

// A program's windows on an X display: found, read, grabbed and closed.

#include <sys/types.h>

#include <string>
#include <vector>

#include <X11/Xlib.h>

#include "support/pictures.h"

// The bytes of a window's property of the given type, at most longest items
// (32-bit items come as longs, as Xlib hands them over); empty when it has none.
std::string windowProperty(Display* display, Window window, const char* name, Atom type, long longest = 1 << 20);

// Every window below the given one, at any depth.
std::vector<Window> windowsBelow(Display* display, Window window);

// Visible top-level windows with the title that belong to the process; to any
// process when pid is 0 (a Windows program under Wine is not the child started).
std::vector<Window> windowsOf(Display* display, pid_t pid, const std::string& title);

// Waits up to the given seconds for the process's window with the title; 0 if none came.
Window waitForWindow(Display* display, pid_t pid, const std::string& title, double seconds);

// The render area of a pool window: the GL widget's own X window, the
// largest one inside the top-level window that does not fill it; 0 if none.
Window renderAreaOf(Display* display, Window window);

// The window's pixels as they are now.
Picture grabWindow(Display* display, Window window);

// Asks the window to close, as a window manager's close button would.
void requestClose(Display* display, Window window);

// A viewable top-level window that no window manager decorates, larger than
// a tool tip: the program's popup menu, on a display of the test's own; 0 if none.
Window openMenu(Display* display);
