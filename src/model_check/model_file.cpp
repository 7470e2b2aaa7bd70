#include "model_check/model_file.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>

#include "data_files/data_file.h"
#include "model_check/library_messages.h"
#include "model_check/model_cameras.h"
#include "model_check/model_check.h"

namespace {

// What the scene library says of a texture it found nowhere.
const std::string textureNotFound = "Could not read texture file: ";

// What the scene library said while the checked model was read again, in
// lines of ours: one for each texture file it found nowhere, one for each
// other read error. Its warnings tell nothing that the check has not seen.
void reportModelMessages(const std::vector<LibraryMessage>& messages, const char* path)
{
    std::set<std::string> told;
    for (const LibraryMessage& message : messages) {
        if (!message.readError) {
            continue;
        }
        if (message.text.compare(0, textureNotFound.size(), textureNotFound) == 0) {
            const std::size_t line = message.text.rfind(" (line");
            const std::string name = message.text.substr(textureNotFound.size(), line - textureNotFound.size());
            if (told.insert(name).second) {
                reportLeftOut(name.c_str(), "a texture of the model, not found");
            }
        } else if (told.insert(message.text).second) {
            reportLeftOut(path, message.text);
        }
    }
}

}

SoVRMLGroup* readCheckedModel(RunningCheck check)
{
    const std::string model = check.path;
    const char* path = model.c_str();
    SoDB::init();
    setUpModelReading();
    std::string problem = notRegularFileReason(path);
    if (!problem.empty()) {
        reportLeftOut(path, problem);
        return nullptr;
    }
    SoInput input;
    // The reader crashes on an input whose file never opened, so a missing model is not read at all.
    if (!input.openFile(path, false)) {
        return nullptr;
    }
    problem = awaitModelCheck(std::move(check));
    if (!problem.empty()) {
        reportLeftOut(path, problem);
        return nullptr;
    }
    SoVRMLGroup* group = nullptr;
    {
        CaughtLibraryMessages caught;
        group = SoDB::readAllVRML(&input);
        reportModelMessages(caught.messages, path);
    }
    if (group != nullptr) {
        group->ref();
        reportUnreadFiles(group);
        leaveOutModelCameras(group, path);
        group->unrefNoDelete();
    }
    return group;
}
