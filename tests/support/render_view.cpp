#include "support/render_view.h"

#include <algorithm>
#include <cmath>

#include <Inventor/SbViewVolume.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "app/headless_run.h"
#include "viewer_view.h"

PixelBox patchOnPicture(const WorldPatch& patch, int width, int height)
{
    SoSeparator* scene = startHeadlessRun();
    const SbViewportRegion viewport(static_cast<short>(width), static_cast<short>(height));
    SoSeparator* root = buildViewerView(scene, viewport);
    root->ref();
    const SbViewVolume volume = viewerCamera(root)->getViewVolume(static_cast<float>(width) / height);

    // The camera looks straight down, so the patch stays an upright rectangle on the picture.
    SbVec3f lowCorner;
    SbVec3f highCorner;
    volume.projectToScreen(SbVec3f(patch.x0, patch.y0, patch.z), lowCorner);
    volume.projectToScreen(SbVec3f(patch.x1, patch.y1, patch.z), highCorner);
    root->unref();
    scene->unref();

    // Screen coordinates run 0 ... 1 from the bottom left; pixel rows run from the top.
    const double left = std::min(lowCorner[0], highCorner[0]) * width;
    const double right = std::max(lowCorner[0], highCorner[0]) * width;
    const double top = (1.0 - std::max(lowCorner[1], highCorner[1])) * height;
    const double bottom = (1.0 - std::min(lowCorner[1], highCorner[1])) * height;
    PixelBox box;
    box.left = std::max(static_cast<int>(std::ceil(left)), 0);
    box.right = std::min(static_cast<int>(std::floor(right)) - 1, width - 1);
    box.top = std::max(static_cast<int>(std::ceil(top)), 0);
    box.bottom = std::min(static_cast<int>(std::floor(bottom)) - 1, height - 1);
    return box;
}
