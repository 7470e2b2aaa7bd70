#pragma once

// Test support for programs with windows: a virtual X server, programs
// started as children with the environment a test chooses, their windows
// found, grabbed and closed, and waits on a condition rather than on a clock.

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include <X11/Xlib.h>

#include "pictures.h"

// An Xvfb of the caller's own, on whatever display number is free.
struct VirtualDisplay {
    pid_t pid = -1;
    std::string name;   // such as ":7"; empty when the server did not start
};

// Starts Xvfb with a 1600 x 1200 24-bit screen and the extra arguments (such as
// "-extension", "GLX"); returns once the server accepts connections. The
// server ends with the process that started it, even one that crashed.
VirtualDisplay startVirtualDisplay(const std::vector<std::string>& extraArguments = {});

// Ends the server and waits for it; its display name then names no server.
void stopVirtualDisplay(VirtualDisplay& display);

// The display the GUI tests share: the one the test suite started, named in
// the file that PELMORA_TEST_DISPLAY_FILE gives, or, for a test program run
// on its own, one of this process's own that ends with it.
const std::string& testDisplay();

// A connection to the display on which every window keeps its picture off
// screen, so that a grab shows the window itself even where another program's
// window lies over it.
Display* openDisplay(const std::string& name);

// A connection to the test display, as openDisplay makes it.
Display* openTestDisplay();

// How to start a child.
struct ChildSpec {
    std::vector<std::string> arguments;   // the program, then its arguments
    std::string directory;                // working directory; empty for this one
    std::string display;                  // its DISPLAY; empty for none at all
    std::vector<std::string> environment; // NAME=VALUE to set, a bare NAME to remove
    std::string errorsPath;               // standard error goes there; empty for a file of the test's own
    std::string outputPath;               // standard output goes there; empty for nowhere
    bool outputWithErrors = false;        // standard output goes where standard error goes
    rlim_t fileSizeLimit = 0;             // largest file it may write, in bytes; 0 for no limit
};

// Starts a child. -1 if it could not be started. Whatever the child writes
// to standard error is kept until the test ends, and printed after the test
// when the test fails.
pid_t startChild(const ChildSpec& launch);

// What a child started by this test has written to standard error so far.
std::string childErrors(pid_t pid);

// Waits up to the given seconds for the child to end; false if it did not.
bool waitForExit(pid_t pid, int& status, double seconds);

// Ends a child that is still running and reaps it.
void stopChild(pid_t pid);

// How a program ended: its exit status (-1 if it did not exit normally), the
// signal that ended it (0 if none) and everything it wrote to standard error.
struct ProgramRun {
    int status = -1;
    int signal = 0;
    std::string errors;
};

// Runs a child to its end; with outputWithErrors its standard output is
// caught along with its standard error.
ProgramRun runProgram(ChildSpec launch, bool outputWithErrors = false);

// Every name in the folder, hidden ones too, sorted: what children left there.
std::vector<std::string> filesIn(const std::string& folder);

// Lines in a text: its newlines.
int lineCount(const std::string& text);

// The lines that a program wrote itself: those that begin with its name and a colon.
std::vector<std::string> ownLines(const std::string& text, const std::string& program);

// Polls the condition until it holds or the seconds have passed; true if it held.
bool waitUntil(const std::function<bool()>& condition, double seconds);

// The bytes of a window's property of the given type, at most longest items
// (32-bit items come as longs, as Xlib hands them over); empty when it has none.
std::string windowProperty(Display* display, Window window, const char* name, Atom type, long longest = 1 << 20);

// Every window below the given one, at any depth.
std::vector<Window> windowsBelow(Display* display, Window window);

// Visible top-level windows with the title that belong to the process.
std::vector<Window> windowsOf(Display* display, pid_t pid, const std::string& title);

// Waits up to the given seconds for the process's window with the title; 0 if none came.
Window waitForWindow(Display* display, pid_t pid, const std::string& title, double seconds);

// The window's pixels as they are now.
Picture grabWindow(Display* display, Window window);

// Asks the window to close, as a window manager's close button would.
void requestClose(Display* display, Window window);
