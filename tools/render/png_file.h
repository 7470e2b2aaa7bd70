#pragma once

#include <string>

#include "output_file.h"

// Writes an 8-bit RGB picture, rows given from the bottom up, as a PNG file
// through libpng. No time or other varying chunk: the same pixels give the
// same bytes. On a fault returns false and says why in error.
bool writePng(OutputFile& file, int width, int height, const unsigned char* rgbBottomUp, std::string& error);
