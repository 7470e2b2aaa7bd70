#include "app/viewer_binding.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include <Inventor/Win/SoWin.h>
#include <Inventor/errors/SoDebugError.h>

#include "platform/process.h"

// SoWin is the binding the program was written for: each operation is its own.

namespace {

// The name of the pool's icon among the program's resources (packaging/windows/pelmora.rc.in).
constexpr const wchar_t* poolIcon = L"POOL";

// SoWin's window class carries Windows' generic icon: the window's title bar and
// task-bar button show the pool's instead, when the program carries it.
void showPoolIcon(HWND window)
{
    const HINSTANCE program = GetModuleHandleW(nullptr);
    for (const auto& [kind, sideMetric] : {std::pair{ICON_SMALL, SM_CXSMICON}, std::pair{ICON_BIG, SM_CXICON}}) {
        const int side = GetSystemMetrics(sideMetric);
        // Shared: Windows frees it with the program.
        const HANDLE icon = LoadImageW(program, poolIcon, IMAGE_ICON, side, side, LR_SHARED);
        if (icon != nullptr) {
            SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
        }
    }
}

}

BindingWindow initBinding(int& argc, char** argv, const char* appName, const char* className)
{
    // SoWin shows the scene library's messages in dialogs that hold the program until
    // clicked; they go where they went before, to standard error, as on Linux.
    SoErrorCB* const messages = SoDebugError::getHandlerCallback();
    void* const messagesData = SoDebugError::getHandlerData();
    const BindingWindow window = SoWin::init(argc, argv, appName, className);
    SoDebugError::setHandlerCallback(messages, messagesData);
    if (window == nullptr) {
        // Only where there is no desktop to open a window on: a service's, or Wine's without a display.
        std::fprintf(stderr, "%s: no desktop to open a window on; no window\n", programName());
    } else {
        showPoolIcon(window);
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
