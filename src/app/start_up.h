#pragma once

#include "app/viewer_binding.h"

class SoIdleSensor;

// The program as start-up leaves it, just before the main loop: the binding's
// main window, the examiner viewer on the scene, and the idle sensor that
// drives the ticks, scheduled. A harness changes what it needs of them, and
// adds its own, before it runs the loop.
struct StartedPool {
    BindingWindow mainWindow = nullptr;
    ExaminerViewer* viewer = nullptr;
    SoIdleSensor* idle = nullptr;
};

// Start-up up to the main loop: the binding started on the arguments as they
// are, the scene assembled and shown in the examiner viewer titled "Pel Mora",
// the idle sensor scheduled with frameTick, the main window shown. When the
// binding opens no main window, nothing else is made and mainWindow is null.
StartedPool startUp(int& argc, char** argv);
