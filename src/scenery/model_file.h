#pragma once

class SoVRMLGroup;

// Limits of the child process that reads the model before the program does.
// Our own model needs a small part of each: under 64 MB of address space,
// 30 ms of processor time.
constexpr long modelCheckMemoryBytes = 1024L * 1024 * 1024;
constexpr long modelCheckCpuSeconds = 5;
constexpr double modelCheckWallSeconds = 6.0;
constexpr long modelCheckStackBytes = 4L * 1024 * 1024;

// Starts the check of the model at path, when it is a regular file, so that
// it runs while the program opens its window; readCheckedModel awaits it.
void startModelCheck(const char* path);

// Reads the VRML model at path, or gives null: when it is missing, and, with
// one line on standard error saying why, when it is not a regular file or when
// pelmora-model-check, run beside this program under the limits above, did not
// pass it. Inline nodes fetch nothing. Starts the check when none is running.
SoVRMLGroup* readCheckedModel(const char* path);
