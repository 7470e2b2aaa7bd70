#pragma once

#include <string>
#include <vector>

#include <Inventor/SbName.h>
#include <Inventor/SbString.h>
#include <Inventor/SoInput.h>

#include "model_check/library_messages.h"

class SoProto;
class SoVRMLGroup;

// How the check and the programs read a model file: through the scene
// library's reader, with what would reach outside the file kept out and said
// in lines of ours. A string of the model that names a pipe, a socket or a
// device, as it stands or in a folder where the library looks for files, is
// read as empty, so that the library, which opens a name to see whether it
// is there, never waits on a pipe; one line names it. Each input starts the
// lines of a model anew, but one that reads the model again.
class ModelInput : public SoInput {
public:
    // Again: the model is read a second time, its strings going on past \" before a line break.
    explicit ModelInput(bool again = false);

    SbBool read(SbString& string) override;
    SbBool read(SbName& name, SbBool validIdentifier = FALSE) override;
    using SoInput::read;

    // The name of the external prototype being read, for unreadExternalPrototype.
    SbName externalPrototype;
    // The line where a string of a VRML 1.0 or Inventor file first ended at
    // \" before a line break, or empty: the library's reader ends such a
    // string there, the backslash kept, where the file may mean a quote.
    std::string quoteEndedAtLineBreak;

private:
    SbBool readOnAfterQuote(SbString& string);

    bool again;
    bool afterExternalKeyword = false;
};

// Reads the model from the opened input with the library's messages caught
// into messages. In VRML 1.0 and Inventor, \" in a string is a quote, but the
// library's reader ends a string at \" before a line break, keeping the
// backslash, as some files mean it; when that read fails after such a
// string, the file at path is read again with the string going on past the
// line break, and that read counts if it succeeds.
SoVRMLGroup* readModel(ModelInput& input, const char* path, std::vector<LibraryMessage>& messages);

// What a file that the model names and that is not read is said to be.
extern const char* const notReadOutsideTheModel;

// What the reason of a model that could not be read either way adds when a
// string of it ended at \" before a line break, or empty.
std::string quoteEndedNote(const ModelInput& input);

// One line for a file that the model names and that is not used, however
// often and by whichever node: "PROGRAM: NAME: a file of the model, WHY; left out".
void reportModelFile(const std::string& name, const std::string& why);

// The scene library's hook for an EXTERNPROTO: nothing is read, one line
// names its first URL, and the prototype stands in with the interface it
// declares and an empty body, so that its instances read as they are
// written and draw nothing.
SoProto* unreadExternalPrototype(SoInput* input, const SbString* urls, int count, void*);
