#include "scenery/placed_box.h"

#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoTransform.h>

void addPlacedBox(SoGroup* group, const PlacedBox& box)
{
    auto* move = new SoTransform;
    move->translation = box.move;
    auto* cube = new SoCube;
    cube->width = box.width;
    cube->height = box.height;
    cube->depth = box.depth;
    group->addChild(move);
    group->addChild(cube);
}
