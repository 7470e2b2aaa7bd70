#pragma once

// The water surface as two bordered grids of gridStride x gridStride doubles.
// Cell (i, j) is element i * gridStride + j: rows and columns 1 ... gridSize
// are the water, row and column 0 and gridSize + 1 the border ring.

// Height of still water.
constexpr double restHeight = 10.0;

// Factor on the five-point Laplacian: the double just below 0.3.
constexpr double waveCoefficient = 0.29999999999999993;

// Factor on the new velocity: 1 - 0.025f, exact in double.
constexpr double velocityDamping = 0.97499999962747097;

// Factor on the velocity when the height moves: the double nearest 0.3.
constexpr double heightCoefficient = 0.3;

// Surface height per cell; allocated once before main, contents undefined until resetSimulation.
extern double* const heights;

// Vertical velocity per cell; only this file's step and reset touch it.
extern double* const velocities;

// Advances both grids by one damped wave step, then mirrors the walls.
void stepSimulation();

// Puts the water at rest, lets the first drop fall and mirrors the walls.
void resetSimulation();
