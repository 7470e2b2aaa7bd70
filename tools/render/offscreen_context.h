#pragma once

#include <string>

// Opens the X display that DISPLAY names, makes sure GLX gives a direct
// OpenGL context on a pbuffer there, and has Coin's offscreen renderer make
// its contexts this way from then on. On a fault returns false and says why
// in error, in one line; nothing of Coin's has been touched then.
bool startOffscreenContexts(std::string& error);

// True once the X server has refused any request of this process.
bool xRequestRefused();
