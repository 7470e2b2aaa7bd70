#pragma once

#include <cstdint>
#include <string>

// Marks where a file-name pattern takes the tick.
constexpr const char* tickPlaceholder = "{tick}";

// The picture of one tick: with a pattern, the pattern with {tick} replaced by
// the tick in six digits; otherwise pelmora-BUILD-tick-TTTTTT.png in that folder.
std::string framePath(const std::string& output, int build, std::int32_t tick);

// The path as seen from the working directory the run started in, so that it
// still holds after the run moves into the data folder.
std::string absolutePath(const std::string& path);
