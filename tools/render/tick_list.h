#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Highest tick a frame can be asked for; far past any run a person waits for,
// and well inside the tick counter's range.
constexpr std::int32_t largestTick = 100000000;

// Most frames one run writes.
constexpr int largestFrameCount = 10000;

// Reads a tick list: items separated by commas, each a tick ("300") or a
// range with a step ("0:300:50", both ends included). The ticks must rise
// strictly from item to item. On a fault returns false and says why in error.
bool parseTickList(const std::string& text, std::vector<std::int32_t>& ticks, std::string& error);
