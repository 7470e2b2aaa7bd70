#pragma once

class SoSeparator;

// Reads the sculpture that stands on the corner block, placed and textured.
// The returned group holds the model's separator, which is empty of the model
// itself when the file is missing or not VRML.
SoSeparator* loadImportedModel();

// Begins to check the model file in a process of its own, while the window opens.
void startImportedModelCheck();
