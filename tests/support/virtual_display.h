#pragma once

// X servers for the tests: a virtual one of the caller's own, the one the GUI
// tests share, and connections to them.

#include <memory>
#include <string>

#include <X11/Xlib.h>

#include "support/child.h"

// An Xvfb with a 1600 x 1200 24-bit screen on whatever display number is
// free, ended with its owner, or with the process that started it, even one
// that crashed.
class VirtualDisplay {
public:
    // Returns once the server accepts connections.
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // Such as ":7"; empty when the server did not start.
    std::string name;

private:
    Child server_;
};

// The display the GUI tests share: the one the test suite started, named in
// the file that PELMORA_TEST_DISPLAY_FILE gives, or, for a test program run
// on its own, one of this process's own that ends with it.
const std::string& testDisplay();

using DisplayConnection = std::unique_ptr<Display, decltype(&XCloseDisplay)>;

// A connection to the display, null if none, on which every window keeps its
// picture off screen, so that a grab shows the window itself even where
// another program's window lies over it.
DisplayConnection openDisplay(const std::string& name);
