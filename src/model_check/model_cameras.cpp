#include "model_check/model_cameras.h"

#include <string>
#include <utility>
#include <vector>

#include <Inventor/SoPath.h>
#include <Inventor/VRMLnodes/SoVRMLViewpoint.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoGroup.h>

#include "data_files/data_file.h"

void leaveOutModelCameras(SoNode* model, const char* path)
{
    // Each use of a shared camera is a path of its own; all are found before any is taken out.
    std::vector<std::pair<SoGroup*, SoNode*>> found;
    for (const SoType type : {SoCamera::getClassTypeId(), SoVRMLViewpoint::getClassTypeId()}) {
        SoSearchAction search;
        search.setType(type);
        search.setInterest(SoSearchAction::ALL);
        search.setSearchingAll(TRUE);
        search.apply(model);
        for (int n = 0; n < search.getPaths().getLength(); ++n) {
            const SoPath* each = search.getPaths()[n];
            if (each->getLength() > 1 && each->getNodeFromTail(1)->isOfType(SoGroup::getClassTypeId())) {
                found.emplace_back(static_cast<SoGroup*>(each->getNodeFromTail(1)), each->getTail());
            }
        }
    }
    int removed = 0;
    for (const auto& [parent, camera] : found) {
        const int index = parent->findChild(camera);
        if (index >= 0) {
            parent->removeChild(index);
            ++removed;
        }
    }
    if (removed > 0) {
        reportLeftOut(path, "its " + std::to_string(removed) + " camera" + (removed == 1 ? "" : "s")
                                + " or viewpoint" + (removed == 1 ? "" : "s") + ", which would take the viewer's view");
    }
}
