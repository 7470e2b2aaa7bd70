#pragma once

#include "model_check/running_check.h"

class SoVRMLGroup;

// Reads the VRML model that the check is about, once the check has passed
// it, or gives null: when it is missing, and, with one line on standard
// error saying why, when it is not a regular file or when the check did not
// pass it; the line then gives the check's own reason, the scene library's
// first read error for a model it cannot parse. Inline nodes fetch nothing
// and File nodes read nothing; the model's cameras and viewpoints are left
// out; a texture of the model that is found nowhere is said once, in a line
// of ours. The check is over when this returns.
SoVRMLGroup* readCheckedModel(RunningCheck check);
