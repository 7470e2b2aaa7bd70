#pragma once

// The viewer binding's own types, on SoQt: the one header of the Qt binding
// that start-up sees, through app/viewer_binding.h.

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
