#include "app/scene_assembly.h"

#include <cstdlib>

#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoSeparator.h>

#include "scenery/spot_light.h"
#include "sim/height_field.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"
#ifdef PELMORA_WITH_BASIN
#include "scenery/basin_scenery.h"
#include "scenery/walls.h"
#endif
#ifdef PELMORA_WITH_MODEL
#include "scenery/imported_model.h"
#endif

SoSeparator* assembleScene()
{
    // The caustic image is N x N texels, not a power of two. Coin 4.0.0 scales
    // such an image to a power of two before drawing it; later releases draw
    // it as it is, which shows its texels as hard blocks. Scaled on every
    // release, the pool looks the same wherever it runs.
    setenv("COIN_GLGLUE_DISABLE_NON_POWER_OF_TWO_TEXTURES", "1", 1);
    waterKit = new SoShapeKit;               // the kit exists before anything is built into it
    resetSimulation();                       // still water, the first drop, the walls mirrored
    buildLightPattern();                     // stripes and the caustic texture, before the water needs them
    auto* sceneRoot = new SoSeparator;
    addSpotLight(sceneRoot);                 // the light comes first, so it lights everything after it
    sceneRoot->addChild(buildWaterSurface());
#ifdef PELMORA_WITH_BASIN
    sceneRoot->addChild(buildWalls());
    sceneRoot->addChild(buildBasinScenery());
#endif
#ifdef PELMORA_WITH_MODEL
    sceneRoot->addChild(loadImportedModel());
#endif
    return sceneRoot;
}
