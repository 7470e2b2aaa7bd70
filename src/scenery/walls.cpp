#include "scenery/walls.h"

#include <Inventor/SbVec3f.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTransform.h>

namespace {

struct WallPiece {
    SbVec3f centre;
    float width;
    float height;
    float depth;
};

// Corner block, wall along the y axis at x = -1, wall along the x axis at y = -1.
const WallPiece wallPieces[] = {
    {SbVec3f(-0.75f, -0.75f, 1.0f), 0.5f, 0.5f, 1.0f},
    {SbVec3f(-1.0f, 0.0f, 1.0f), 0.05f, 2.0f, 0.5f},
    {SbVec3f(0.0f, -1.0f, 1.0f), 2.0f, 0.05f, 0.5f},
};

}

SoSeparator* buildWalls()
{
    // One texture node shared by all three pieces.
    auto* wallTexture = new SoTexture2;
    wallTexture->filename = "textures/wall.jpg";

    auto* walls = new SoSeparator;
    for (const WallPiece& piece : wallPieces) {
        auto* group = new SoSeparator;
        auto* place = new SoTransform;
        place->translation = piece.centre;
        auto* box = new SoCube;
        box->width = piece.width;
        box->height = piece.height;
        box->depth = piece.depth;
        group->addChild(wallTexture);
        group->addChild(place);
        group->addChild(box);
        walls->addChild(group);
    }
    return walls;
}
