#pragma once

#include <Inventor/SbVec3f.h>

class SoGroup;

// One row of a scenery table: a move, then a box of the given size where it lands.
struct PlacedBox {
    SbVec3f move;
    float width;
    float height;
    float depth;
};

// Appends the move's transform and then the box to group.
void addPlacedBox(SoGroup* group, const PlacedBox& box);
