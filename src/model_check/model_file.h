#pragma once

class SoVRMLGroup;

// Starts the check of the model at path, when it is a regular file, so that
// it runs while the program opens its window; readCheckedModel awaits it.
void startModelCheck(const char* path);

// Reads the VRML model at path, or gives null: when it is missing, and, with
// one line on standard error saying why, when it is not a regular file or when
// pelmora-model-check, run beside this program under the limits of
// model_check.h, did not pass it; the line then gives the check's own reason,
// the scene library's first read error for a model it cannot parse. Inline
// nodes fetch nothing and File nodes read nothing; the model's cameras and
// viewpoints are left out; a texture of the model that is found nowhere is
// said once, in a line of ours. Starts the check when none is running.
SoVRMLGroup* readCheckedModel(const char* path);
