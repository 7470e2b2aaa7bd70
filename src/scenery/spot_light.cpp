#include "scenery/spot_light.h"

#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSpotLight.h>

void addSpotLight(SoGroup* parent)
{
    auto* light = new SoSpotLight;
    light->location.setValue(1.5f, 1.5f, 2.0f);
    // Left unnormalised, as the scene has always stored it.
    light->direction.setValue(-2.0f, -2.0f, -2.0f);
    light->cutOffAngle = 0.785375f;
    light->dropOffRate = 0.9f;
    light->color.setValue(1.0f, 0.66f, 0.175f);
    parent->addChild(light);
}
