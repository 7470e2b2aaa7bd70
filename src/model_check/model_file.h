#pragma once

#include "model_check/running_check.h"

class SoVRMLGroup;

// Reads the VRML model that the check is about, once the check has passed
// it, or gives null: when it is missing, and, with one line on standard
// error saying why, when it is not a regular file or when the check did not
// pass it; the line then gives the check's own reason, the scene library's
// first read error for a model it cannot parse. Nothing outside the model
// file is read but its textures (model_input.h); the model's cameras,
// viewpoints and whole-view nodes are left out; each file of the model that
// is not used is said once, in a line of ours. The check is over when this
// returns.
SoVRMLGroup* readCheckedModel(RunningCheck check);
