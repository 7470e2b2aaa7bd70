#pragma once

#include <string>

#include <Inventor/SoType.h>
#include <Inventor/lists/SoPathList.h>

#include "platform/limited_child.h"

class SoNode;

// The model is first read by pelmora-model-check, a program of its own that
// runs in a child process under limits; the scene reads the model only when
// the check passed it. Its exit status says why not, as does its one line on
// standard error, "pelmora-model-check: FILE: WHY". The failures start at 10,
// clear of the 1 with which a sanitizer ends a run, and 127 is a checker that
// could not be started.
enum class CheckStatus : int {
    Passed = 0,
    Unopened = 10,
    Usage = 11,
    NotVrml = 12,
    IndexOutside = 13,
    OutOfMemory = 14,
    OutOfProcessorTime = 15,
    OutOfTime = 16,
    Crashed = 17,
    NotStarted = 127,
};

// Limits of the check, which it sets itself at its start and its parent sets
// too. Our own model needs a small part of each: under 64 MB of address
// space, 30 ms of processor time.
constexpr ChildLimits modelCheckLimits = {1024L * 1024 * 1024, 5, 4L * 1024 * 1024};
constexpr long modelCheckWallSeconds = 6;

// What a status of the check says about the model; any other exit status is
// said as a number.
std::string modelCheckReason(CheckStatus status);

// How the check and the programs read a model: Inline nodes and external
// prototypes fetch nothing (a model is the one file, and an inline that
// names that file again, or another that names it back, never ends), Inventor
// File nodes read nothing, Script nodes run nothing (the library has no script
// language), and image textures are read with the model, through our image
// reader. Read through a ModelInput (model_input.h).
void setUpModelReading();

// Every use of a node of the type in the model, a shared node once for each
// place it stands, as paths from the model down.
SoPathList everyUse(SoNode* model, SoType type);

// One line on standard error for each file that a File or WWWInline node of
// the model names, which stays empty.
void reportUnreadFiles(SoNode* model);

// Whether every index set of the model stays within the coordinates, colours,
// normals and texture coordinates it indexes, and every NURBS shape within
// its control points, then one traversal of the whole model as drawing and
// bounding it would make (triangles, normals generated, every shared node
// visited at every use), NURBS shapes left out: they are cut into triangles
// through OpenGL, which the check has none of.
CheckStatus surveyModel(SoNode* model);
