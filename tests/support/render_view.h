#pragma once

#include "support/pictures.h"

// A rectangle of the pool's world, x0 ... x1 by y0 ... y1 at height z.
struct WorldPatch {
    float x0;
    float y0;
    float x1;
    float y1;
    float z;
};

// The pixels that a patch covers in a picture of this size, seen as
// pelmora-render sees this build's scene: the same start-up, the same camera.
// Rounded inward, so every pixel of the box lies on the patch, and cut to the picture.
PixelBox patchOnPicture(const WorldPatch& patch, int width, int height);
