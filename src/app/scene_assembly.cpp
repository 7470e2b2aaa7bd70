#include "app/scene_assembly.h"

#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoSeparator.h>

#include "app/library_switches.h"
#include "images/texture_scaling.h"
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
    scaleTexturesToPowersOfTwo();            // the caustic image looks the same on every release
    scaleTexturesOurselves();                // and on every platform, whatever image library it has
    loadImageLibraryByVersionedName();       // a model's PNG textures without the development package
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
