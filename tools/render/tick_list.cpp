#include "tick_list.h"

#include <cstddef>

namespace {

// Digits only: no sign, no spaces, nothing past largestTick.
bool parseTick(const std::string& text, std::int32_t& tick)
{
    if (text.empty()) {
        return false;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
        if (value > largestTick) {
            return false;
        }
    }
    tick = static_cast<std::int32_t>(value);
    return true;
}

// The parts of an item between its colons.
std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool addTick(std::int32_t tick, std::vector<std::int32_t>& ticks, std::string& error)
{
    if (!ticks.empty() && tick <= ticks.back()) {
        error = "ticks must rise: " + std::to_string(tick) + " comes after " + std::to_string(ticks.back());
        return false;
    }
    if (static_cast<int>(ticks.size()) == largestFrameCount) {
        error = "more than " + std::to_string(largestFrameCount) + " frames";
        return false;
    }
    ticks.push_back(tick);
    return true;
}

}

bool parseTickList(const std::string& text, std::vector<std::int32_t>& ticks, std::string& error)
{
    ticks.clear();
    const std::string badTick = "a tick is a whole number from 0 to " + std::to_string(largestTick);
    for (const std::string& item : splitAt(text, ',')) {
        const std::vector<std::string> parts = splitAt(item, ':');
        if (parts.size() == 1) {
            std::int32_t tick = 0;
            if (!parseTick(item, tick)) {
                error = "bad tick '" + item + "': " + badTick;
                return false;
            }
            if (!addTick(tick, ticks, error)) {
                return false;
            }
            continue;
        }
        std::int32_t first = 0;
        std::int32_t last = 0;
        std::int32_t step = 0;
        if (parts.size() != 3 || !parseTick(parts[0], first) || !parseTick(parts[1], last)
            || !parseTick(parts[2], step)) {
            error = "bad range '" + item + "': a range is FIRST:LAST:STEP and " + badTick;
            return false;
        }
        if (step == 0 || last < first) {
            error = "bad range '" + item + "': the step must be above 0 and LAST not below FIRST";
            return false;
        }
        for (std::int64_t tick = first; tick <= last; tick += step) {
            if (!addTick(static_cast<std::int32_t>(tick), ticks, error)) {
                return false;
            }
        }
    }
    return true;
}
