// pelmora-model-check FILE: reads a model as the programs do and walks it
// once, so that a model which would crash, hang or exhaust them does so here,
// in a process of its own. It sets its own limits first, so that run by hand
// too it ends on every model with an exit status (model_check/model_check.h) and,
// when the model fails, one line on standard error that says why.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

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
#include "platform/limited_child.h"
#include "platform/process.h"

namespace {

// The start of every line of ours, "pelmora-model-check: FILE: ".
std::string linePrefix;

// Room for a signal handler when the stack has run out.
alignas(16) char handlerStack[64 * 1024];

// How a signal ends the check: its status, and its whole line, made before
// any signal can come, since a handler may only write.
struct SignalEnd {
    int signal;
    CheckStatus status;
    std::string line;
};

std::vector<SignalEnd> signalEnds;

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

void endOnSignal(int signal)
{
    for (const SignalEnd& end : signalEnds) {
        if (end.signal == signal) {
            const ssize_t written = write(STDERR_FILENO, end.line.data(), end.line.size());
            _exit(static_cast<int>(written >= 0 ? end.status : CheckStatus::Crashed));
        }
    }
    _exit(static_cast<int>(CheckStatus::Crashed));
}

// Processor time ends the check with SIGXCPU, a second before the kernel
// would kill it; the clock with SIGALRM; a stack overflow with SIGSEGV,
// handled on a stack of its own.
void setOwnLimits()
{
    limitThisProcess(modelCheckLimits);
    signalEnds = {{SIGXCPU, CheckStatus::OutOfProcessorTime, ""}, {SIGALRM, CheckStatus::OutOfTime, ""}};
    for (const int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        signalEnds.push_back({crash, CheckStatus::Crashed, std::string(" (") + strsignal(crash) + ")"});
    }
    for (SignalEnd& end : signalEnds) {
        end.line = linePrefix + modelCheckReason(end.status) + end.line + "\n";
    }
    stack_t alternate {};
    alternate.ss_sp = handlerStack;
    alternate.ss_size = sizeof handlerStack;
    sigaltstack(&alternate, nullptr);
    struct sigaction action {};
    action.sa_handler = endOnSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const SignalEnd& end : signalEnds) {
        sigaction(end.signal, &action, nullptr);
    }
    alarm(modelCheckWallSeconds);
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
    // No core file of a model that crashes the reader, not even through a core-collecting pipe.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    setOwnLimits();
    // Without blocking, so that a pipe at the name is never waited on.
    const int descriptor = open(argv[1], O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0) {
        fail(CheckStatus::Unopened, modelCheckReason(CheckStatus::Unopened) + " (" + std::strerror(errno) + ")");
    }
    if (!S_ISREG(status.st_mode)) {
        fail(CheckStatus::Unopened, "not a regular file");
    }
    close(descriptor);
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
