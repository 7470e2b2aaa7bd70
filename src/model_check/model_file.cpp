#include "model_check/model_file.h"

#include <sys/stat.h>

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
#include "model_check/model_input.h"

namespace {

// What the scene library says of a texture it could not read, in VRML 2.0
// ("...file: NAME") and in VRML 1.0 and Inventor ("...file 'NAME'"), and of
// the file of a File node, which is said as not read.
const std::string textureNotRead = "Could not read texture file";
const std::string fileNotFound = "Could not find '";

// The texture's name, as the model gives it, from the library's line.
std::string textureName(const std::string& text)
{
    const std::size_t line = text.rfind(" (line");
    std::string name = text.substr(textureNotRead.size(), line - textureNotRead.size());
    const std::size_t start = name.find_first_not_of(": '");
    name = start == std::string::npos ? std::string() : name.substr(start);
    if (!name.empty() && name.back() == '\'') {
        name.pop_back();
    }
    return name;
}

// Whether the name stands as it is or beside the model, where the library looked.
bool foundBeside(const std::string& name, const std::string& model)
{
    struct stat status {};
    const std::string folder = model.substr(0, model.rfind('/') + 1);
    return stat(name.c_str(), &status) == 0 || (name[0] != '/' && stat((folder + name).c_str(), &status) == 0);
}

// What the scene library said while the checked model was read again, in
// lines of ours: one for each texture file it could not read, one for each
// other read error. Its warnings tell nothing that the check has not seen.
void reportModelMessages(const std::vector<LibraryMessage>& messages, const char* path)
{
    std::set<std::string> told;
    for (const LibraryMessage& message : messages) {
        if (!message.readError || message.text.compare(0, fileNotFound.size(), fileNotFound) == 0) {
            continue;
        }
        if (message.text.compare(0, textureNotRead.size(), textureNotRead) == 0) {
            const std::string name = textureName(message.text);
            reportModelFile(name, foundBeside(name, path) ? "not an image that can be read" : "not found");
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
    ModelInput input;
    // The reader crashes on an input whose file never opened, so a missing model is not read at all.
    if (!input.openFile(path, false)) {
        return nullptr;
    }
    problem = awaitModelCheck(std::move(check));
    if (!problem.empty()) {
        reportLeftOut(path, problem);
        return nullptr;
    }
    std::vector<LibraryMessage> messages;
    SoVRMLGroup* group = readModel(input, path, messages);
    reportModelMessages(messages, path);
    if (group != nullptr) {
        group->ref();
        reportUnreadFiles(group);
        leaveOutModelCameras(group, path);
        leaveOutWholeViewNodes(group, path);
        group->unrefNoDelete();
    }
    return group;
}
