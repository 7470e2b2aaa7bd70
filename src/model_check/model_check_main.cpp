// pelmora-model-check FILE: reads a model as the programs do and walks it
// once, so that a model which would crash, hang or exhaust them does so here,
// in a process of its own. It sets its own limits first, so that run by hand
// too it ends on every model with an exit status (model_check/model_check.h) and,
// when the model fails, one line on standard error that says why.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>
#include <Inventor/nodekits/SoNodeKit.h>

#include "images/image_reader.h"
#include "model_check/library_messages.h"
#include "model_check/model_check.h"
#include "model_check/model_input.h"
#include "platform/data_path.h"
#include "platform/limited_child.h"
#include "platform/process.h"

namespace {

// The start of every line of ours, "pelmora-model-check: FILE: ".
std::string linePrefix;

[[noreturn]] void fail(CheckStatus status, const std::string& reason)
{
    std::fprintf(stderr, "%s%s\n", linePrefix.c_str(), reason.c_str());
    std::fflush(stderr);
    std::_Exit(static_cast<int>(status));
}

[[noreturn]] void fail(CheckStatus status)
{
    fail(status, modelCheckReason(status));
}

// Limits of its own, so that run by hand too the check ends on every model.
void setOwnLimits()
{
    const auto end = [](CheckStatus status) {
        return LimitEnd {static_cast<int>(status), linePrefix + modelCheckReason(status)};
    };
    limitThisProcess(modelCheckLimits, modelCheckWallSeconds,
        {end(CheckStatus::OutOfProcessorTime), end(CheckStatus::OutOfTime), end(CheckStatus::Crashed),
            end(CheckStatus::OutOfMemory)});
}

// Ends the check unless a regular file stands at the path; a pipe there is never waited on.
void requireRegularFile(const char* path)
{
    const OpenedFile opened = openDataFile(path);
    if (opened.file == nullptr) {
        fail(CheckStatus::Unopened, modelCheckReason(CheckStatus::Unopened) + " (" + std::strerror(opened.error) + ")");
    }
    if (!opened.regular) {
        fail(CheckStatus::Unopened, "not a regular file");
    }
}

// The library's first read error, or else its first message.
std::string firstReason(const std::vector<LibraryMessage>& messages)
{
    for (const LibraryMessage& message : messages) {
        if (message.readError) {
            return message.text;
        }
    }
    return messages.empty() ? std::string() : messages.front().text;
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "%s\n", modelCheckReason(CheckStatus::Usage).c_str());
        return static_cast<int>(CheckStatus::Usage);
    }
    linePrefix = std::string(programName()) + ": " + argv[1] + ": ";
    setOwnLimits();
    requireRegularFile(argv[1]);
    SoDB::init();
    SoNodeKit::init();
    SoInteraction::init();
    registerJpegReader();
    setUpModelReading();
    try {
        ModelInput input;
        if (!input.openFile(argv[1], TRUE)) {
            fail(CheckStatus::Unopened);
        }
        std::vector<LibraryMessage> messages;
        SoVRMLGroup* model = readModel(input, argv[1], messages);
        const std::string reason = firstReason(messages) + quoteEndedNote(input);
        if (model == nullptr) {
            fail(CheckStatus::NotVrml, modelCheckReason(CheckStatus::NotVrml) + (reason.empty() ? "" : ": " + reason));
        }
        model->ref();
        reportUnreadFiles(model);
        const CheckStatus outcome = surveyModel(model);
        if (outcome != CheckStatus::Passed) {
            fail(outcome);
        }
        // Leaves at once: tearing the scene down proves nothing about the model.
        std::_Exit(static_cast<int>(CheckStatus::Passed));
    } catch (const std::bad_alloc&) {
        fail(CheckStatus::OutOfMemory);
    }
}
