#pragma once

// Smallest row or column a drop's 5 x 5 patch can start at.
constexpr int dropPositionOffset = 4;

// A drop's patch must start this far past a low wall, or it is drawn again.
constexpr int dropWallMargin = 5;

// Side of a drop's square bump, in cells.
constexpr int dropSize = 5;

// Step of the sine weights across the bump: pi / 5 held in single precision.
constexpr double dropPhaseStep = 0.62831855f;

// Row or column of a patch's first cell for one draw: 4 ... gridSize - 6.
int dropPosition(int draw);

// Strength of a drop for one draw: -1 ... 1, a dent below 16384, a hump from there.
double dropStrength(int draw);

// Adds a 5 x 5 sine bump of the given strength whose first cell is (row, column).
void addDrop(int row, int column, double strength);

// Lets one drop of random strength fall at a random place clear of the corner block.
void addRandomDrop();
