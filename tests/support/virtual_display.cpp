#include "support/virtual_display.h"

#include <cstdlib>

#include <fstream>
#include <stdexcept>

#include <X11/extensions/Xcomposite.h>

#include "support/waiting.h"

namespace {

// Longest wait for a server to take connections.
constexpr double serverSeconds = 60.0;

// Room for a window at twice its size, and no reset when the last client
// goes, which would refuse the next test's connection for a moment. Xvfb
// writes its display number and a newline to standard output once it
// accepts connections.
Launch xvfb()
{
    Launch launch;
    launch.arguments = {"Xvfb", "-displayfd", "1", "-screen", "0", "1600x1200x24", "-nolisten", "tcp", "-noreset"};
    launch.output = Output::kept;
    // Ended by a signal it can handle, it takes its lock files along.
    launch.deathSignal = SIGTERM;
    return launch;
}

// Windows come and go while a program starts; asking after one that just
// went is an answer, not a reason to end the test process.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

}

VirtualDisplay::VirtualDisplay() : server_(xvfb())
{
    waitUntil([&] { return server_.output().find('\n') != std::string::npos || !server_.running(); }, serverSeconds);
    const std::string number = server_.output();
    if (server_.running() && number.find('\n') != std::string::npos) {
        name = ":" + number.substr(0, number.find('\n'));
    }
}

VirtualDisplay::~VirtualDisplay()
{
    if (server_.running()) {
        kill(server_.pid(), SIGTERM);
        server_.wait();
    }
}

const std::string& testDisplay()
{
    static const std::string name = [] {
        std::string named;
        if (const char* file = std::getenv("PELMORA_TEST_DISPLAY_FILE")) {
            std::ifstream(file) >> named;
        }
        if (!named.empty()) {
            return named;
        }
        static const VirtualDisplay own;
        if (own.name.empty()) {
            throw std::runtime_error("the virtual X server did not start");
        }
        return own.name;
    }();
    return name;
}

DisplayConnection openDisplay(const std::string& name)
{
    XSetErrorHandler(ignoreError);
    DisplayConnection display(XOpenDisplay(name.c_str()), XCloseDisplay);
    int event = 0;
    int error = 0;
    if (display != nullptr && XCompositeQueryExtension(display.get(), &event, &error)) {
        XCompositeRedirectSubwindows(display.get(), DefaultRootWindow(display.get()), CompositeRedirectAutomatic);
        XSync(display.get(), False);
    }
    return display;
}
