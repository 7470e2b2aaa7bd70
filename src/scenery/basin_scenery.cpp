#include "scenery/basin_scenery.h"

#include <Inventor/SbVec3f.h>
#include <Inventor/VRMLnodes/SoVRMLAnchor.h>
#include <Inventor/nodes/SoCylinder.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSphere.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTransform.h>

#include "scenery/texture_file.h"
#include "scenery/placed_box.h"

namespace {

// Rail rods and the ball where they meet.
constexpr float railRadius = 0.1f;

// Each slab is moved on from the one before it; with the moves accumulated the
// centres are (-1.6, 0, 1), (0, -1.6, 1) and (-1.1, -1.6, 1).
const PlacedBox slabSteps[] = {
    {SbVec3f(-1.6f, 0.0f, 1.0f), 1.0f, 2.2f, 0.5f},
    {SbVec3f(1.6f, -1.6f, 0.0f), 2.0f, 1.0f, 0.5f},
    {SbVec3f(-1.1f, 0.0f, 0.0f), 2.0f, 1.0f, 0.5f},
};

SoVRMLAnchor* buildModelAnchor()
{
    // Names a model that is never fetched: the anchor draws nothing.
    auto* anchor = new SoVRMLAnchor;
    anchor->url.setValue("./3DModel/naqada_southtown.wrl");
    return anchor;
}

SoSeparator* buildRail()
{
    auto* rail = new SoSeparator;

    auto* texture = new SoTexture2;
    setTextureFile(texture, "./texture/boden2.jpg");
    rail->addChild(texture);

    auto* toFirstRod = new SoTransform;
    toFirstRod->translation.setValue(-1.1f, 0.0f, 1.2f);
    rail->addChild(toFirstRod);

    auto* firstRod = new SoCylinder;
    firstRod->radius = railRadius;
    firstRod->height = 2.2f;
    rail->addChild(firstRod);

    auto* toSecondRod = new SoTransform;
    toSecondRod->translation.setValue(1.05f, -1.1f, 0.0f);
    toSecondRod->rotation.setValue(SbVec3f(0.0f, 0.0f, 1.0f), 1.5707963f);
    rail->addChild(toSecondRod);

    auto* secondRod = new SoCylinder;
    secondRod->radius = railRadius;
    secondRod->height = 2.1f;
    rail->addChild(secondRod);

    auto* toBall = new SoTransform;
    toBall->translation.setValue(0.0f, 1.05f, 0.0f);
    rail->addChild(toBall);

    auto* ball = new SoSphere;
    ball->radius = railRadius;
    rail->addChild(ball);

    return rail;
}

SoSeparator* buildSlabs()
{
    auto* slabs = new SoSeparator;
    auto* texture = new SoTexture2;
    setTextureFile(texture, "./texture/boden1.jpg");
    slabs->addChild(texture);
    for (const PlacedBox& slab : slabSteps) {
        addPlacedBox(slabs, slab);
    }
    return slabs;
}

}

SoSeparator* buildBasinScenery()
{
    auto* basin = new SoSeparator;
    basin->addChild(buildModelAnchor());
    basin->addChild(buildRail());
    basin->addChild(buildSlabs());
    return basin;
}
