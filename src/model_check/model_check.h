#pragma once

#include <sys/resource.h>

#include <string>

class SoNode;

// The model is first read by pelmora-model-check, a program of its own that
// runs in a child process under limits; the scene reads the model only when
// the check ended with modelCheckPassed. Its other exit statuses say why not,
// as does its one line on standard error, "pelmora-model-check: FILE: WHY".
// The failures start at 10, clear of the 1 with which a sanitizer ends a run.
constexpr int modelCheckPassed = 0;
constexpr int modelCheckUnopened = 10;
constexpr int modelCheckUsage = 11;
constexpr int modelCheckNotVrml = 12;
constexpr int modelCheckIndexOutside = 13;
constexpr int modelCheckOutOfMemory = 14;
constexpr int modelCheckOutOfProcessorTime = 15;
constexpr int modelCheckOutOfTime = 16;
constexpr int modelCheckCrashed = 17;
constexpr int modelCheckNotStarted = 127;

// Limits of the check, which it sets itself at its start and its parent
// sets too. Our own model needs a small part of each: under 64 MB of address
// space, 30 ms of processor time.
constexpr long modelCheckMemoryBytes = 1024L * 1024 * 1024;
constexpr long modelCheckCpuSeconds = 5;
constexpr long modelCheckWallSeconds = 6;
constexpr long modelCheckStackBytes = 4L * 1024 * 1024;

// Lowers the check's limits, never raising one set lower before. Only calls
// the kernel, so that a child may call it between fork and exec.
void lowerModelCheckLimits(rlim_t stackBytes);

// What the exit status of a check says about the model.
std::string modelCheckReason(int exitStatus);

// How the check and the programs read a model: Inline nodes fetch nothing (a
// model is the one file, and an inline that names that file again, or
// another that names it back, never ends), Inventor File nodes read nothing,
// and image textures are read with the model, through our image reader.
void setUpModelReading();

// One line on standard error for each File node of the model, which stays empty.
void reportUnreadFiles(SoNode* model);

// Whether every index set of the model stays within the coordinates, colours,
// normals and texture coordinates it indexes, and every NURBS shape within
// its control points, then one traversal of the whole model as drawing and
// bounding it would make (triangles, normals generated, every shared node
// visited at every use), NURBS shapes left out: they are cut into triangles
// through OpenGL, which the check has none of. Returns one of the exit statuses.
int surveyModel(SoNode* model);
