#include "viewer_view.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/nodes/SoDirectionalLight.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

namespace {

// The viewer's headlight shines this way as the camera sees it: ahead, a little right and down.
const SbVec3f headlightDirection(1.0f, -1.0f, -10.0f);

}

SoSeparator* buildViewerView(SoSeparator* scene, const SbViewportRegion& viewport)
{
    auto* root = new SoSeparator;
    auto* camera = new SoPerspectiveCamera;
    root->addChild(camera);

    // The light's direction is taken in world space; turned by the camera's
    // orientation it stays fixed to the camera, as the viewer keeps it.
    auto* headlight = new SoDirectionalLight;
    SbVec3f direction;
    // viewAll moves the camera but never turns it, so the orientation is already final.
    camera->orientation.getValue().multVec(headlightDirection, direction);
    headlight->direction = direction;
    root->addChild(headlight);

    root->addChild(scene);
    camera->viewAll(scene, viewport);
    return root;
}

SoPerspectiveCamera* viewerCamera(SoSeparator* root)
{
    return static_cast<SoPerspectiveCamera*>(root->getChild(0));
}
