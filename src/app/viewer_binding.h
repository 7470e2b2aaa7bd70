#pragma once

// The few operations of the GUI binding that start-up uses, here on SoQt.
// Building against another binding of the scene library swaps only this file
// and its source.

#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>

class QWidget;

using BindingWindow = QWidget*;
using ExaminerViewer = SoQtExaminerViewer;
using FullViewer = SoQtFullViewer;
using Viewer = SoQtViewer;

// Starts the binding and returns its main window, or null when there is no
// display to open one on.
BindingWindow initBinding(int& argc, char** argv, const char* appName, const char* className);

// Shows a top-level window of the binding.
void showWindow(BindingWindow window);

// Dispatches events and idle sensors until the last window is closed.
void runMainLoop();
