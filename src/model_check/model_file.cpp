#include "model_check/model_file.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>

#include "data_files/data_file.h"
#include "model_check/library_messages.h"
#include "model_check/model_cameras.h"
#include "model_check/model_check.h"

extern char** environ;

namespace {

const char* const checkerName = "pelmora-model-check";

// What is kept of the check's standard error: its end, where its line stands.
constexpr std::size_t keptErrorBytes = 4096;

// How often the wait for the check looks at its clock when the check says nothing.
constexpr int waitSliceMilliseconds = 2;

// What the scene library says of a texture it found nowhere.
const std::string textureNotFound = "Could not read texture file: ";

// The checker is installed beside the programs, and built beside them too.
std::string checkerPath()
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return checkerName;
    }
    std::string path(self, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + checkerName;
}

// The checker's stack is smaller than ours, so that a model it reads to the
// end leaves the program room to spare.
rlim_t checkerStackBytes()
{
    rlimit own {};
    if (getrlimit(RLIMIT_STACK, &own) == 0 && own.rlim_cur != RLIM_INFINITY && own.rlim_cur / 2 < static_cast<rlim_t>(modelCheckStackBytes)) {
        return own.rlim_cur / 2;
    }
    return static_cast<rlim_t>(modelCheckStackBytes);
}

// An address sanitizer reserves terabytes of address space and cannot run
// under a limit on it; its own limit on resident memory stands in.
std::vector<std::string> checkerEnvironment()
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environment.emplace_back(*entry);
    }
#if defined(__SANITIZE_ADDRESS__)
    std::string options = "ASAN_OPTIONS=";
    for (auto entry = environment.begin(); entry != environment.end(); ++entry) {
        if (entry->compare(0, options.size(), options) == 0) {
            options = *entry + ":";
            environment.erase(entry);
            break;
        }
    }
    environment.push_back(options + "detect_leaks=0:hard_rss_limit_mb=" + std::to_string(modelCheckMemoryBytes >> 20));
#endif
    return environment;
}

// Between fork and exec only calls that are safe in a child of a threaded
// program: the limits, the standard streams (quiet but for standard error,
// which the program reads), exec. The check ends with the program, should
// the program end first.
[[noreturn]] void execChecker(char* const* arguments, char* const* environment, rlim_t stackBytes, pid_t program,
                              int errors)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != program) {
        _exit(modelCheckNotStarted);
    }
    const int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, STDIN_FILENO);
    dup2(quiet, STDOUT_FILENO);
    dup2(errors, STDERR_FILENO);
    lowerModelCheckLimits(stackBytes);
    execve(arguments[0], arguments, environment);
    _exit(modelCheckNotStarted);
}

// The check under way, started by startModelCheck, the reading end of its
// standard error, and when it runs out of time.
pid_t runningCheck = 0;
int checkErrors = -1;
std::chrono::steady_clock::time_point checkDeadline;

// Reads what the check has written so far, keeping the end; gives what read gave.
ssize_t readCheckErrors(std::string& kept)
{
    char chunk[keptErrorBytes];
    const ssize_t got = read(checkErrors, chunk, sizeof chunk);
    if (got > 0) {
        kept.append(chunk, static_cast<std::size_t>(got));
        kept.erase(0, kept.size() > keptErrorBytes ? kept.size() - keptErrorBytes : 0);
    }
    return got;
}

// The reason that the check's last line gives after "pelmora-model-check: PATH: ", or empty.
std::string reasonFromLastLine(std::string errors, const std::string& path)
{
    while (!errors.empty() && errors.back() == '\n') {
        errors.pop_back();
    }
    const std::string line = errors.substr(errors.rfind('\n') + 1);
    const std::string prefix = std::string(checkerName) + ": " + path + ": ";
    return line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : std::string();
}

// Why the running check did not pass the model; empty when it did. Its
// standard error is read all along, so that it never waits on a full pipe.
std::string awaitCheck(const std::string& path)
{
    const pid_t child = runningCheck;
    runningCheck = 0;
    if (child <= 0) {
        return modelCheckReason(modelCheckNotStarted);
    }
    std::string errors;
    bool open = true;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= checkDeadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            close(checkErrors);
            checkErrors = -1;
            return modelCheckReason(modelCheckOutOfTime);
        }
        pollfd watched = {open ? checkErrors : -1, POLLIN, 0};
        if (poll(&watched, 1, waitSliceMilliseconds) > 0) {
            const ssize_t got = readCheckErrors(errors);
            open = got > 0 || (got < 0 && (errno == EAGAIN || errno == EINTR));
        }
    }
    while (open && readCheckErrors(errors) > 0) {
    }
    close(checkErrors);
    checkErrors = -1;
    if (WIFSIGNALED(status)) {
        if (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL) {
            return modelCheckReason(modelCheckOutOfProcessorTime);
        }
        return modelCheckReason(modelCheckCrashed) + " (" + strsignal(WTERMSIG(status)) + ")";
    }
    if (WEXITSTATUS(status) == modelCheckPassed) {
        return {};
    }
    const std::string reason = reasonFromLastLine(errors, path);
    return reason.empty() ? modelCheckReason(WEXITSTATUS(status)) : reason;
}

void discardCheck()
{
    if (runningCheck > 0) {
        kill(runningCheck, SIGKILL);
        waitpid(runningCheck, nullptr, 0);
        runningCheck = 0;
        close(checkErrors);
        checkErrors = -1;
    }
}

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

void startModelCheck(const char* path)
{
    struct stat status {};
    if (runningCheck > 0 || stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        return;
    }
    std::string checker = checkerPath();
    std::string file = path;
    char* arguments[] = {checker.data(), file.data(), nullptr};
    std::vector<std::string> environment = checkerEnvironment();
    std::vector<char*> environmentPointers;
    for (std::string& entry : environment) {
        environmentPointers.push_back(entry.data());
    }
    environmentPointers.push_back(nullptr);
    const rlim_t stackBytes = checkerStackBytes();
    const pid_t program = getpid();
    int errors[2] = {-1, -1};
    if (pipe2(errors, O_CLOEXEC) != 0) {
        return;
    }

    const pid_t child = fork();
    if (child == 0) {
        execChecker(arguments, environmentPointers.data(), stackBytes, program, errors[1]);
    }
    close(errors[1]);
    if (child < 0) {
        close(errors[0]);
        return;
    }
    fcntl(errors[0], F_SETFL, O_NONBLOCK);
    runningCheck = child;
    checkErrors = errors[0];
    checkDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(modelCheckWallSeconds);
}

SoVRMLGroup* readCheckedModel(const char* path)
{
    SoDB::init();
    setUpModelReading();
    std::string problem = notRegularFileReason(path);
    if (!problem.empty()) {
        discardCheck();
        reportLeftOut(path, problem);
        return nullptr;
    }
    SoInput input;
    // The reader crashes on an input whose file never opened, so a missing model is not read at all.
    if (!input.openFile(path, false)) {
        discardCheck();
        return nullptr;
    }
    startModelCheck(path);
    problem = awaitCheck(path);
    if (!problem.empty()) {
        reportLeftOut(path, problem);
        return nullptr;
    }
    startCatchingLibraryMessages();
    SoVRMLGroup* model = SoDB::readAllVRML(&input);
    reportModelMessages(stopCatchingLibraryMessages(), path);
    if (model != nullptr) {
        model->ref();
        reportUnreadFiles(model);
        leaveOutModelCameras(model, path);
        model->unrefNoDelete();
    }
    return model;
}
