#include "support/waiting.h"

#include <chrono>
#include <thread>

bool waitUntil(const std::function<bool()>& condition, double seconds)
{
    // How often a wait looks at its condition again.
    constexpr auto pollInterval = std::chrono::milliseconds(50);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(pollInterval);
    }
    return true;
}
