#include "app/viewer_binding.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include <Inventor/Qt/SoQt.h>
#include <Inventor/events/SoEvent.h>
#include <QWidget>

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

DevicePixelExaminerViewer::DevicePixelExaminerViewer(QWidget* parent, const char* name, SbBool embed,
    SoQtFullViewer::BuildFlag flag, SoQtViewer::Type type)
    : SoQtExaminerViewer(parent, name, embed, flag, type)
{
}

void DevicePixelExaminerViewer::sizeChanged(const SbVec2s& size)
{
    SoQtExaminerViewer::sizeChanged(size);
    QWidget* area = getGLWidget();
    if (area == nullptr || area->parentWidget() == nullptr) {
        return;
    }
    // The frame around the GL area is laid out right: its inside is the area's
    // size in scaled units. The viewer's own size handling below the
    // decorations then sets the viewport, the GL size and the mouse's window
    // size from the device pixels, and resizes the widget once more by that
    // count, which the last line undoes.
    const QSize scaled = area->parentWidget()->contentsRect().size();
    const double ratio = area->devicePixelRatioF();
    SoQtViewer::sizeChanged(SbVec2s(static_cast<short>(std::lround(scaled.width() * ratio)),
        static_cast<short>(std::lround(scaled.height() * ratio))));
    area->resize(scaled);
}

SbBool DevicePixelExaminerViewer::processSoEvent(const SoEvent* event)
{
    // SoQt turns a mouse position into pixels with the scale factor rounded
    // down, measuring y from the bottom of the device-pixel viewport; the
    // remaining fraction of the factor is applied here, so that the examiner
    // turns the pool about the point under the mouse.
    const QWidget* area = getGLWidget();
    const double remaining = area == nullptr ? 1.0 : area->devicePixelRatioF() / area->devicePixelRatio();
    if (remaining != 1.0) {
        const SbVec2s position = event->getPosition();
        const int top = getGLSize()[1] - 1;
        // The binding's events are its own objects, passed on read-only; the
        // position is corrected in place before anything reads it.
        const_cast<SoEvent*>(event)->setPosition(SbVec2s(static_cast<short>(std::lround(position[0] * remaining)),
            static_cast<short>(top - std::lround((top - position[1]) * remaining))));
    }
    return SoQtExaminerViewer::processSoEvent(event);
}
