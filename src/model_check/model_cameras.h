#pragma once

class SoNode;

// Takes the cameras and VRML viewpoints out of the model, wherever they
// stand in it, so that the viewer keeps its own camera on the pool; one line
// on standard error, naming the model's path, says how many were left out.
void leaveOutModelCameras(SoNode* model, const char* path);
