#include "app/viewer_binding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <Inventor/Qt/SoQt.h>
#include <Inventor/events/SoEvent.h>

#include "binding/qt/pool_icon.h"
#include "binding/qt/toolkit_settings.h"
#include "platform/process.h"

namespace {

// The name of the desktop entry, its icon and its metainfo.
const char* const applicationId = PELMORA_APP_ID;

// The pool's icon at every size built into the program.
QIcon poolIcon()
{
    QIcon icon;
    for (int n = 0; n < poolIconImageCount; ++n) {
        QPixmap image;
        if (image.loadFromData(poolIconImages[n].bytes, poolIconImages[n].size, "PNG")) {
            icon.addPixmap(image);
        }
    }
    return icon;
}

// While the toolkit starts, its messages are held back: should it fail, they
// explain why in the one line that the failure prints; should it start, they
// go out as they would have.
struct HeldToolkitMessage {
    QtMsgType type;
    const char* category;
    QString text;
};
QtMessageHandler toolkitOwnHandler = nullptr;
bool holdingToolkitMessages = false;
std::vector<HeldToolkitMessage> heldToolkitMessages;

// A fatal message of the toolkit ends the program with status 1 and one line,
// instead of its abort and core dump. Messages of its platform layer, held
// back while it started, come first: they name the display or plugin at fault.
void endOnToolkitFatal(const QString& fatal)
{
    QString line;
    for (const HeldToolkitMessage& held : heldToolkitMessages) {
        if (held.category != nullptr && std::strcmp(held.category, "default") != 0) {
            line += held.text + "; ";
        }
    }
    line += fatal;
    line = line.simplified();
    std::fprintf(stderr, "%s: %s\n", programName(), line.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

void passOn(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (toolkitOwnHandler != nullptr) {
        toolkitOwnHandler(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

void handleToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        endOnToolkitFatal(text);
    }
    if (holdingToolkitMessages) {
        heldToolkitMessages.push_back({type, context.category, text});
        return;
    }
    passOn(type, context, text);
}

// While it lives, the toolkit's messages are held back; when it ends they go
// out in order. The handler stays for the toolkit's fatal messages.
struct HeldToolkitMessages {
    HeldToolkitMessages()
    {
        toolkitOwnHandler = qInstallMessageHandler(handleToolkitMessage);
        holdingToolkitMessages = true;
    }
    ~HeldToolkitMessages()
    {
        holdingToolkitMessages = false;
        for (const HeldToolkitMessage& held : heldToolkitMessages) {
            passOn(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category), held.text);
        }
        heldToolkitMessages.clear();
    }
    HeldToolkitMessages(const HeldToolkitMessages&) = delete;
    HeldToolkitMessages& operator=(const HeldToolkitMessages&) = delete;
};

// The first SoQt that applies the fraction of a fractional scale factor to
// mouse positions itself.
constexpr int firstScalingSoQt[] = {1, 6, 1};

// Asked of the SoQt library the program runs with, not of the headers it was
// built with: a program built on Debian 12 may run with a newer SoQt.
bool soqtScalesMousePositions()
{
    int version[3] = {};
    SoQt::getVersionInfo(&version[0], &version[1], &version[2]);
    return !std::lexicographical_compare(std::begin(version), std::end(version), std::begin(firstScalingSoQt),
        std::end(firstScalingSoQt));
}

}

BindingWindow initBinding(int& argc, char** argv, const char* appName, const char* className)
{
    if (toolkitSettingsRefused(argc, argv)) {
        return nullptr;
    }
    drawThroughX();
    if (!displayReachable(argc, argv)) {
        return nullptr;
    }
    BindingWindow window = nullptr;
    {
        const HeldToolkitMessages held;
        // Docks and task switchers find the menu entry by the window's class.
        QCoreApplication::setApplicationName(applicationId);
        QGuiApplication::setDesktopFileName(applicationId);
        window = SoQt::init(argc, argv, appName, className);
    }
    if (window != nullptr) {
        QGuiApplication::setWindowIcon(poolIcon());
    }
    return window;
}

void showWindow(BindingWindow window)
{
    // A window's icon name is its title, as its desktop entry names it.
    window->setWindowIconText(window->windowTitle());
    SoQt::show(window);
}

void runMainLoop()
{
    SoQt::mainLoop();
}

void endMainLoop()
{
    SoQt::exitMainLoop();
}

unsigned long renderAreaWindow(ExaminerViewer* viewer)
{
    return static_cast<unsigned long>(viewer->getGLWidget()->winId());
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
    // SoQt before 1.6.1 turns a mouse position into pixels with the scale
    // factor rounded down, measuring y from the bottom of the device-pixel
    // viewport; the remaining fraction of the factor is applied here, so that
    // the examiner turns the pool about the point under the mouse.
    static const bool scaledByBinding = soqtScalesMousePositions();
    const QWidget* area = getGLWidget();
    const double remaining =
        area == nullptr || scaledByBinding ? 1.0 : area->devicePixelRatioF() / area->devicePixelRatio();
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

void DevicePixelExaminerViewer::openPopupMenu(const SbVec2s position)
{
    // The menu is placed in Qt's scaled units, measured from the top of the
    // area; the position comes in device pixels from its bottom.
    const QWidget* area = getGLWidget();
    const double ratio = area == nullptr ? 1.0 : area->devicePixelRatioF();
    const int height = getGLSize()[1];
    SoQtExaminerViewer::openPopupMenu(SbVec2s(static_cast<short>(std::lround(position[0] / ratio)),
        static_cast<short>(height - std::lround((height - position[1]) / ratio))));
}
