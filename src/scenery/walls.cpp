#include "scenery/walls.h"

#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>

#include "scenery/texture_file.h"
#include "scenery/placed_box.h"

namespace {

// Corner block, wall along the y axis at x = -1, wall along the x axis at y = -1.
const PlacedBox wallPieces[] = {
    {SbVec3f(-0.75f, -0.75f, 1.0f), 0.5f, 0.5f, 1.0f},
    {SbVec3f(-1.0f, 0.0f, 1.0f), 0.05f, 2.0f, 0.5f},
    {SbVec3f(0.0f, -1.0f, 1.0f), 2.0f, 0.05f, 0.5f},
};

}

SoSeparator* buildWalls()
{
    // One texture node shared by all three pieces.
    auto* wallTexture = new SoTexture2;
    setTextureFile(wallTexture, "textures/wall.jpg");

    auto* walls = new SoSeparator;
    for (const PlacedBox& piece : wallPieces) {
        auto* group = new SoSeparator;
        group->addChild(wallTexture);
        addPlacedBox(group, piece);
        walls->addChild(group);
    }
    return walls;
}
