#pragma once

#include <string>

// The bytes of a real JPEG of the data folder with the size in its frame
// header changed: the header claims width x height, the data stay small.
std::string jpegClaiming(const std::string& source, unsigned width, unsigned height);
