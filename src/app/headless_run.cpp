#include "app/headless_run.h"

#include <Inventor/SoDB.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/nodekits/SoNodeKit.h>
#include <Inventor/nodes/SoSeparator.h>

#include "app/frame_tick.h"
#include "app/scene_assembly.h"
#include "images/image_reader.h"
#include "sim/random_source.h"

SoSeparator* startHeadlessRun()
{
    SoDB::init();
    SoNodeKit::init();
    SoInteraction::init();
    registerJpegReader();
    randomState = 1u;
    tickCount = 0;
    dropCountdown = firstDropCountdown;
    SoSeparator* root = assembleScene();
    root->ref();
    return root;
}
