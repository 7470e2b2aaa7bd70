#pragma once

#include <string>

class SoNode;

// The model is first read by pelmora-model-check, a program of its own that
// runs in a child process under limits; the scene reads the model only when
// the check ended with modelCheckPassed. Its other exit statuses say why not.
// The failures start at 10, clear of the 1 with which a sanitizer ends a run.
constexpr int modelCheckPassed = 0;
constexpr int modelCheckUnopened = 10;
constexpr int modelCheckUsage = 11;
constexpr int modelCheckNotVrml = 12;
constexpr int modelCheckIndexOutside = 13;
constexpr int modelCheckOutOfMemory = 14;
constexpr int modelCheckNotStarted = 127;

// What the exit status of a check says about the model.
std::string modelCheckReason(int exitStatus);

// Inline nodes fetch nothing: a model is the one file, and an inline that
// names that file again, or another that names it back, never ends.
void refuseInlineFetching();

// Whether every index set of the model stays within the coordinates, colours,
// normals and texture coordinates it indexes, then one traversal of the whole
// model as drawing and bounding it would make (triangles, normals generated,
// every shared node visited at every use). Returns one of the exit statuses.
int surveyModel(SoNode* model);
