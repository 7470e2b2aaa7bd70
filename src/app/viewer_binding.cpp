#include "app/viewer_binding.h"

#include <cstdlib>
#include <cstring>

#include <Inventor/Qt/SoQt.h>

// After Qt's headers: Xlib defines macros (Bool, Status) that Qt's own names would collide with.
#include <X11/Xlib.h>

namespace {

// Qt aborts the process when its X platform finds no display, so look first.
// Another platform chosen through QT_QPA_PLATFORM is left to Qt itself.
bool displayReachable()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && platform[0] != '\0' && std::strncmp(platform, "xcb", 3) != 0) {
        return true;
    }
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') {
        return false;
    }
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

}

BindingWindow initBinding(int& argc, char** argv, const char* appName, const char* className)
{
    if (!displayReachable()) {
        return nullptr;
    }
    return SoQt::init(argc, argv, appName, className);
}

void showWindow(BindingWindow window)
{
    SoQt::show(window);
}

void runMainLoop()
{
    SoQt::mainLoop();
}
