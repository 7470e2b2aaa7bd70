#pragma once

#include <string>

// Writes an 8-bit RGB picture as a PNG file, its rows given bottom-up as
// OpenGL reads them. Holds nothing but the pixels: no name, no time, so the
// same pixels always make the same bytes. Returns false when it cannot write.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgbBottomUp);
