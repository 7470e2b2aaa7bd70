#pragma once

#include <functional>

// Polls the condition until it holds or the seconds have passed; true if it held.
bool waitUntil(const std::function<bool()>& condition, double seconds);
