#pragma once

// The few operations of the GUI binding that start-up uses, here on SoQt.
// Building against another binding of the scene library swaps only this file
// and its source.

#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>

class QWidget;

using BindingWindow = QWidget*;
// The examiner viewer, drawing at the screen's full resolution whatever Qt's
// scale factor (high-DPI screens, QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS).
// SoQt sizes its GL area in device pixels but then resizes the widget by that
// count in Qt's scaled units, which pushes the picture off the visible part of
// the widget; and with a fractional factor it counts device pixels with the
// factor rounded down, so the picture is too small and, before SoQt 1.6.1,
// mouse positions are in neither unit. This viewer keeps the widget at its
// layout's size and the viewport and mouse positions in device pixels.
class DevicePixelExaminerViewer : public SoQtExaminerViewer {
public:
    DevicePixelExaminerViewer(QWidget* parent, const char* name, SbBool embed, SoQtFullViewer::BuildFlag flag,
        SoQtViewer::Type type);

protected:
    void sizeChanged(const SbVec2s& size) override;
    SbBool processSoEvent(const SoEvent* event) override;
    void openPopupMenu(const SbVec2s position) override;
};

using ExaminerViewer = DevicePixelExaminerViewer;
using FullViewer = SoQtFullViewer;
using Viewer = SoQtViewer;

// Starts the binding and returns its main window, or null when there is no
// display to open one on.
BindingWindow initBinding(int& argc, char** argv, const char* appName, const char* className);

// Shows a top-level window of the binding.
void showWindow(BindingWindow window);

// Dispatches events and idle sensors until the last window is closed, or
// until endMainLoop.
void runMainLoop();

// Makes runMainLoop return once the event it is handling is done.
void endMainLoop();

// The native window (the X window) that the viewer draws its scene into.
unsigned long renderAreaWindow(ExaminerViewer* viewer);
