#pragma once

// The few operations of the GUI binding that start-up uses. Each binding of
// the scene library (SoQt here, SoWin on Windows) has a folder of its own
// under src/binding/ with its binding_types.h, which names the window and
// viewer types, and the sources that define these functions; the build
// chooses the folder. Nothing else knows the GUI toolkit.

#include "binding_types.h"

// The class name that the binding's start is given for its main window, as
// the program has always named it: on SoWin its window class. On SoQt the
// window's class comes from the application id instead.
constexpr const char* bindingClassName = "SoWin";

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

// The native window that the viewer draws its scene into.
unsigned long renderAreaWindow(ExaminerViewer* viewer);
