#pragma once

class SoSensor;

// The water's kernels written out the plain way, one cell at a time, straight
// from their formulas. They work on the program's own grids, images and
// counters, so a test or a benchmark can run one of these and the program's
// kernel from the same state and compare every bit.

// The damped wave step, velocity pass then height pass, then the walls.
void referenceStepSimulation();

// Copies the ghost cell of every wall of lines 1 ... gridSize from the water beside it.
void referenceApplyBoundaryCells(double* grid);

// Draws a position clear of the corner block and a strength, and adds the 5 x 5 bump.
void referenceAddRandomDrop();

// Bends the light through the surface and hands the image to the texture.
void referenceUpdateCausticTexture();

// Writes every vertex of the staging buffer, x, y and z, and hands it to the mesh.
void referenceUpdateSurfaceCoordinates();

// One tick: count, step, refresh on every third, countdown and drops, schedule.
void referenceFrameTick(void* data, SoSensor* sensor);
