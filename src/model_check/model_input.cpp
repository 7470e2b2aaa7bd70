#include "model_check/model_input.h"

#include <sys/stat.h>

#include <set>

#include <Inventor/lists/SbStringList.h>
#include <Inventor/SoDB.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/fields/SoField.h>
#include <Inventor/lists/SoFieldList.h>
#include <Inventor/misc/SoProto.h>
#include <Inventor/misc/SoProtoInstance.h>

#include "data_files/data_file.h"

const char* const notReadOutsideTheModel = "not read, as a model is read as its one file";

namespace {

std::set<std::string> toldFiles;

// A pipe, a socket or a device at the name, as it stands or in a folder where
// the library looks; a directory is no harm, the readers refuse it.
bool namesSpecialFile(const SbString& name)
{
    if (name.getLength() == 0) {
        return false;
    }
    const SbStringList& folders = SoInput::getDirectories();
    for (int n = -1; n < folders.getLength(); ++n) {
        const std::string path = n < 0 ? name.getString() : std::string(folders[n]->getString()) + "/" + name.getString();
        struct stat status {};
        if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
            return true;
        }
        if (name[0] == '/') {
            break;
        }
    }
    return false;
}

// The interface as a prototype declares it, with each field's value as it is.
std::string interfaceText(SoProtoInstance* instance)
{
    static const char* const kinds[] = {"field", "eventIn", "eventOut", "exposedField"};
    SoFieldList fields;
    instance->getAllFields(fields);
    std::string text;
    for (int n = 0; n < fields.getLength(); ++n) {
        SoField* field = fields[n];
        SbName name;
        instance->getFieldName(field, name);
        const int kind = field->getFieldType();
        text += std::string(kinds[kind]) + " " + field->getTypeId().getName().getString() + " " + name.getString();
        if (kind == SoField::NORMAL_FIELD || kind == SoField::EXPOSED_FIELD) {
            SbString value;
            field->get(value);
            text += std::string(" ") + value.getString();
        }
        text += "\n";
    }
    return text;
}

// A prototype of the external one's interface and an empty body, read as a
// model of its own; held by no one when it is given.
SoProto* standIn(SoProto* external)
{
    std::string text = "#VRML V2.0 utf8\nPROTO ";
    text += external != nullptr ? external->getProtoName().getString() : "Unread";
    text += " [\n";
    if (external != nullptr) {
        // The instance's root node, made unheld, holds the instance and takes it along when it goes.
        SoProtoInstance* instance = external->createProtoInstance();
        SoNode* root = instance->getRootNode();
        root->ref();
        text += interfaceText(instance);
        root->unref();
    }
    text += "] { Group {} }\n";
    SoProto* proto = nullptr;
    {
        SoInput input;
        input.setBuffer(text.data(), text.size());
        SoVRMLGroup* root = SoDB::readAllVRML(&input);
        if (root == nullptr) {
            return nullptr;
        }
        root->ref();
        SoSearchAction search;
        search.setType(SoProto::getClassTypeId());
        search.apply(root);
        proto = search.getPath() != nullptr ? static_cast<SoProto*>(search.getPath()->getTail()) : nullptr;
        if (proto != nullptr) {
            proto->ref();
        }
        root->unref();
    }
    if (proto != nullptr) {
        proto->unrefNoDelete();
    }
    return proto;
}

}

ModelInput::ModelInput(bool readAgain)
    : again(readAgain)
{
    if (!again) {
        toldFiles.clear();
    }
}

SbBool ModelInput::read(SbString& string)
{
    SbBool got = SoInput::read(string);
    if (!got) {
        return got;
    }
    const int length = string.getLength();
    char next = 0;
    if (!isFileVRML2() && !isBinary() && length > 0 && string[length - 1] == '\\' && get(next)) {
        putBack(next);
        if (next == '\n' || next == '\r') {
            if (again) {
                got = readOnAfterQuote(string);
            } else if (quoteEndedAtLineBreak.empty()) {
                SbString location;
                getLocationString(location);
                const std::string where = location.getString();
                const std::size_t digits = where.find_first_of("0123456789");
                quoteEndedAtLineBreak = digits == std::string::npos
                    ? std::string("?") : where.substr(digits, where.find_first_not_of("0123456789", digits) - digits);
            }
        }
    }
    if (namesSpecialFile(string)) {
        reportModelFile(string.getString(), "not a regular file");
        string.makeEmpty();
    }
    return got;
}

// The string read so far ended at \" before a line break: the backslash
// stands for the quote, and the string goes on to the next quote that is not
// after a backslash, a backslash before anything else kept as it stands.
SbBool ModelInput::readOnAfterQuote(SbString& string)
{
    string = (std::string(string.getString(), static_cast<std::size_t>(string.getLength()) - 1) + "\"").c_str();
    char letter = 0;
    while (get(letter) && letter != '"') {
        char after = 0;
        if (letter == '\\' && get(after)) {
            if (after == '"') {
                letter = after;
            } else {
                putBack(after);
            }
        }
        string += letter;
    }
    return letter == '"';
}

SbBool ModelInput::read(SbName& name, SbBool validIdentifier)
{
    const SbBool read = SoInput::read(name, validIdentifier);
    if (read && afterExternalKeyword) {
        externalPrototype = name;
    }
    afterExternalKeyword = read && name == "EXTERNPROTO";
    return read;
}

SoVRMLGroup* readModel(ModelInput& input, const char* path, std::vector<LibraryMessage>& messages)
{
    {
        CaughtLibraryMessages caught;
        SoVRMLGroup* model = SoDB::readAllVRML(&input);
        messages = caught.messages;
        if (model != nullptr || input.quoteEndedAtLineBreak.empty()) {
            return model;
        }
    }
    ModelInput again(true);
    if (!again.openFile(path, TRUE)) {
        return nullptr;
    }
    CaughtLibraryMessages caught;
    SoVRMLGroup* model = SoDB::readAllVRML(&again);
    if (model != nullptr) {
        messages = caught.messages;
    }
    return model;
}

std::string quoteEndedNote(const ModelInput& input)
{
    return input.quoteEndedAtLineBreak.empty() ? std::string()
        : ", after a string that the scene library's reader ended at \\\" before a line break (line "
            + input.quoteEndedAtLineBreak + ")";
}

void reportModelFile(const std::string& name, const std::string& why)
{
    if (toldFiles.insert(name).second) {
        reportLeftOut(name.c_str(), "a file of the model, " + why);
    }
}

// The prototype being read is the latest made of its name.
SoProto* unreadExternalPrototype(SoInput* input, const SbString* urls, int count, void*)
{
    // A URL that named a pipe or a device was read empty and said so.
    if (count > 0 && urls[0].getLength() > 0) {
        const std::string url = urls[0].getString();
        reportModelFile(url.substr(0, url.find('#')), notReadOutsideTheModel);
    }
    auto* model = dynamic_cast<ModelInput*>(input);
    return standIn(model != nullptr ? SoProto::findProto(model->externalPrototype) : nullptr);
}
