#include "app/viewer_binding.h"

#include <cstdint>
#include <cstdio>

#include <Inventor/Win/SoWin.h>
#include <Inventor/errors/SoDebugError.h>

#include "platform/process.h"

// SoWin is the binding the program was written for: each operation is its own.

namespace {

// SoWin shows each of the scene library's messages in a message box that waits
// for a click, before the window opens if need be (a missing texture is
// enough); they go to standard error instead, as on Linux.
void printLibraryMessage(const SoError* error, void*)
{
    std::fprintf(stderr, "%s\n", error->getDebugString().getString());
}

}

BindingWindow initBinding(int& argc, char** argv, const char* appName, const char* className)
{
    const HWND window = SoWin::init(argc, argv, appName, className);
    SoDebugError::setHandlerCallback(printLibraryMessage, nullptr);
    if (window == nullptr) {
        // Only where there is no desktop to open a window on: a service's, or Wine's without a display.
        std::fprintf(stderr, "%s: no desktop to open a window on; no window\n", programName());
    }
    return window;
}

void showWindow(BindingWindow window)
{
    SoWin::show(window);
}

void runMainLoop()
{
    SoWin::mainLoop();
}

void endMainLoop()
{
    SoWin::exitMainLoop();
}

unsigned long renderAreaWindow(ExaminerViewer* viewer)
{
    // A window handle holds 32 significant bits, so that 32-bit programs can share it.
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(viewer->getGLWidget()));
}
