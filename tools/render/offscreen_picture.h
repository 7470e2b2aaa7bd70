#pragma once

#include <string>
#include <vector>

class SoNode;

// Makes an OpenGL context with no window and no X server, through EGL: the
// first device of the EGL device platform that gives one, else Mesa's
// surfaceless platform. It draws into a framebuffer of the given size, which
// stays current for the whole run. On a fault returns false and says why in
// error, in one line.
bool startOffscreenPicture(int width, int height, std::string& error);

// Draws the scene on the viewer's black background, blending translucent
// objects sorted back to front as the viewer does, and reads the picture
// back: RGB, rows from the bottom up.
bool drawPicture(SoNode* root, std::vector<unsigned char>& rgbBottomUp);

// The same drawing, left in the framebuffer for readPictureRows.
bool drawPictureOnly(SoNode* root);

// Reads rows from bottom up of the picture drawn last: RGB, rows from the
// bottom up.
bool readPictureRows(int bottom, int rows, std::vector<unsigned char>& rgbBottomUp);
