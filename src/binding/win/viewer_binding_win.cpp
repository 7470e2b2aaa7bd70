#include "app/viewer_binding.h"

#include <cstdint>

#include <Inventor/Win/SoWin.h>

// SoWin is the binding the program was written for: each operation is its own.

BindingWindow initBinding(int& argc, char** argv, const char* appName, const char* className)
{
    return SoWin::init(argc, argv, appName, className);
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
