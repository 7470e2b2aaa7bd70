#include "scenery/imported_model.h"

#include <optional>
#include <utility>

#include <Inventor/SbVec3f.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTransform.h>

#include "model_check/model_file.h"
#include "scenery/texture_file.h"

namespace {

const char* const modelPath = "./3DModel/julii.wrl";

// The check started while the window opens, until the model is read.
std::optional<RunningCheck> earlyCheck;

}

void startImportedModelCheck()
{
    earlyCheck = startModelCheck(modelPath);
}

SoSeparator* loadImportedModel()
{
    SoVRMLGroup* model = readCheckedModel(earlyCheck ? std::move(*earlyCheck) : startModelCheck(modelPath));
    earlyCheck.reset();

    auto* imported = new SoSeparator;
    auto* modelSeparator = new SoSeparator;

    auto* texture = new SoTexture2;
    setTextureFile(texture, "./texture/boden1.JPG");
    modelSeparator->addChild(texture);

    // Scale, turn over and move the model onto the corner block.
    auto* placing = new SoTransform;
    placing->scaleFactor.setValue(0.04f, 0.04f, 0.06f);
    placing->translation.setValue(-0.73f, -0.73f, 0.8f);
    placing->rotation.setValue(SbVec3f(1.0f, 0.0f, 0.0f), 3.1415925f);
    // The model is drawn y-up; the scene is z-up.
    auto* upright = new SoTransform;
    upright->rotation.setValue(SbVec3f(1.0f, 0.0f, 0.0f), -1.5707963f);

    modelSeparator->addChild(placing);
    modelSeparator->addChild(upright);
    // A file that could not be read gives no group, and no empty child is added.
    if (model != nullptr) {
        modelSeparator->addChild(model);
    }
    imported->addChild(modelSeparator);
    return imported;
}
