#pragma once

#include <cstdint>

// The one random sequence of a run, shared by the drops and the tick's drop
// delay in the order of their calls. It is the classic linear congruential
// rand() with largest value 32767, written out so that every platform draws
// the same drops.

// Largest value a draw can give.
constexpr int randomMax = 32767;

// The double nearest 1/32767: turns a draw into a fraction 0 ... 1.
constexpr double randomReciprocal = 1.0 / 32767.0;

// Generator state; 1 at program start and never seeded.
extern std::uint32_t randomState;

// Advances the state and returns the next draw, 0 ... 32767.
int nextRandom();
