#pragma once

#include <string>

// Frames of a GIF file, counted by walking its blocks; -1 when the file is
// missing or its blocks do not hold together up to the trailer.
int gifFrameCount(const std::string& path);
