// pelmora-model-check FILE: reads a VRML model as the programs do and walks
// it once, so that a model which would crash, hang or exhaust them does so
// here, in a process of its own under the limits its parent sets. The exit
// status says how it went (data/model_check.h).

#include <sys/prctl.h>

#include <cstdlib>
#include <new>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>
#include <Inventor/nodekits/SoNodeKit.h>

#include "scenery/image_reader.h"
#include "scenery/model_check.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        return modelCheckUsage;
    }
    // No core file of a model that crashes the reader, not even through a core-collecting pipe.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    SoDB::init();
    SoNodeKit::init();
    SoInteraction::init();
    registerJpegReader();
    refuseInlineFetching();
    try {
        SoInput input;
        if (!input.openFile(argv[1], TRUE)) {
            std::_Exit(modelCheckUnopened);
        }
        SoVRMLGroup* model = SoDB::readAllVRML(&input);
        if (model == nullptr) {
            std::_Exit(modelCheckNotVrml);
        }
        model->ref();
        // Leaves at once: tearing the scene down proves nothing about the model.
        std::_Exit(surveyModel(model));
    } catch (const std::bad_alloc&) {
        std::_Exit(modelCheckOutOfMemory);
    }
}
