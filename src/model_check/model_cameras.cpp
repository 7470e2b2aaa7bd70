#include "model_check/model_cameras.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <Inventor/SoPath.h>
#include <Inventor/VRMLnodes/SoVRMLBackground.h>
#include <Inventor/VRMLnodes/SoVRMLFog.h>
#include <Inventor/VRMLnodes/SoVRMLNavigationInfo.h>
#include <Inventor/VRMLnodes/SoVRMLViewpoint.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoGroup.h>

#include "data_files/data_file.h"
#include "model_check/model_check.h"

namespace {

// Takes every node of the types out of the model; gives how many uses were taken out.
int leaveOut(SoNode* model, std::initializer_list<SoType> types)
{
    // Each use of a shared node is a path of its own; all are found before any is taken out.
    std::vector<std::pair<SoGroup*, SoNode*>> found;
    for (const SoType type : types) {
        const SoPathList uses = everyUse(model, type);
        for (int n = 0; n < uses.getLength(); ++n) {
            const SoPath* each = uses[n];
            if (each->getLength() > 1 && each->getNodeFromTail(1)->isOfType(SoGroup::getClassTypeId())) {
                found.emplace_back(static_cast<SoGroup*>(each->getNodeFromTail(1)), each->getTail());
            }
        }
    }
    int removed = 0;
    for (const auto& [parent, node] : found) {
        const int index = parent->findChild(node);
        if (index >= 0) {
            parent->removeChild(index);
            ++removed;
        }
        // A VRML group lets go of a node taken out of its children only when
        // its child list is next asked for: asked now, before the library's
        // sensors fetch what a background shows.
        parent->getChildren();
    }
    return removed;
}

}

void leaveOutModelCameras(SoNode* model, const char* path)
{
    const int removed = leaveOut(model, {SoCamera::getClassTypeId(), SoVRMLViewpoint::getClassTypeId()});
    if (removed > 0) {
        reportLeftOut(path, "its " + std::to_string(removed) + " camera" + (removed == 1 ? "" : "s")
                                + " or viewpoint" + (removed == 1 ? "" : "s") + ", which would take the viewer's view");
    }
}

void leaveOutWholeViewNodes(SoNode* model, const char* path)
{
    const int removed = leaveOut(model, {SoVRMLBackground::getClassTypeId(), SoVRMLFog::getClassTypeId(),
                                         SoVRMLNavigationInfo::getClassTypeId()});
    if (removed > 0) {
        reportLeftOut(path, "its " + std::to_string(removed) + " Background, Fog or NavigationInfo node"
                                + (removed == 1 ? "" : "s") + ", which would act on the whole view");
    }
}
