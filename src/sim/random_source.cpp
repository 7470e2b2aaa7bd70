#include "sim/random_source.h"

namespace {
constexpr std::uint32_t randomMultiplier = 214013u;
constexpr std::uint32_t randomIncrement = 2531011u;
}

std::uint32_t randomState = 1u;

int nextRandom()
{
    // Unsigned arithmetic wraps modulo 2^32, as the sequence requires.
    randomState = randomState * randomMultiplier + randomIncrement;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
