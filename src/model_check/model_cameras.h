#pragma once

class SoNode;

// Takes the cameras and VRML viewpoints out of the model, wherever they
// stand in it, so that the viewer keeps its own camera on the pool; one line
// on standard error, naming the model's path, says how many were left out.
void leaveOutModelCameras(SoNode* model, const char* path);

// The same for the VRML nodes that bind to the whole view rather than to the
// model: Background (the window's backdrop), Fog and NavigationInfo. The
// scene library's Inventor nodes have no such kind: its Environment, with
// fog and ambient light, acts within the separator it stands in, here the
// model's own, and is kept.
void leaveOutWholeViewNodes(SoNode* model, const char* path);
