#include "scenery/model_file.h"

#include <fcntl.h>
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
#include <string>
#include <thread>
#include <vector>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>

#include "scenery/data_file.h"
#include "scenery/model_check.h"

extern char** environ;

namespace {

const char* const checkerName = "pelmora-model-check";

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

void setLimit(int resource, rlim_t soft, rlim_t hard)
{
    const rlimit limit {soft, hard};
    setrlimit(resource, &limit);
}

// Between fork and exec only calls that are safe in a child of a threaded
// program: the limits, the quiet standard streams, exec. The check ends with
// the program, should the program end first.
[[noreturn]] void execChecker(char* const* arguments, char* const* environment, rlim_t stackBytes, pid_t program)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != program) {
        _exit(modelCheckNotStarted);
    }
    const int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, STDIN_FILENO);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    setLimit(RLIMIT_CORE, 0, 0);
    setLimit(RLIMIT_CPU, modelCheckCpuSeconds, modelCheckCpuSeconds + 1);
    setLimit(RLIMIT_STACK, stackBytes, stackBytes);
#if !defined(__SANITIZE_ADDRESS__)
    setLimit(RLIMIT_AS, modelCheckMemoryBytes, modelCheckMemoryBytes);
#endif
    execve(arguments[0], arguments, environment);
    _exit(modelCheckNotStarted);
}

// The check under way, started by startModelCheck, and when it runs out of time.
pid_t runningCheck = 0;
std::chrono::steady_clock::time_point checkDeadline;

// Why the running check did not pass the model; empty when it did.
std::string awaitCheck()
{
    const pid_t child = runningCheck;
    runningCheck = 0;
    if (child <= 0) {
        return modelCheckReason(modelCheckNotStarted);
    }
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= checkDeadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return "took longer than " + std::to_string(static_cast<int>(modelCheckWallSeconds)) + " s to read";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFSIGNALED(status)) {
        if (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL) {
            return "took more than " + std::to_string(modelCheckCpuSeconds) + " s of processor time to read";
        }
        return std::string("crashed the model reader (") + strsignal(WTERMSIG(status)) + ")";
    }
    return WEXITSTATUS(status) == modelCheckPassed ? std::string() : modelCheckReason(WEXITSTATUS(status));
}

void discardCheck()
{
    if (runningCheck > 0) {
        kill(runningCheck, SIGKILL);
        waitpid(runningCheck, nullptr, 0);
        runningCheck = 0;
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

    const pid_t child = fork();
    if (child == 0) {
        execChecker(arguments, environmentPointers.data(), stackBytes, program);
    }
    runningCheck = child;
    checkDeadline = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(modelCheckWallSeconds));
}

SoVRMLGroup* readCheckedModel(const char* path)
{
    SoDB::init();
    refuseInlineFetching();
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
    problem = awaitCheck();
    if (!problem.empty()) {
        reportLeftOut(path, problem);
        return nullptr;
    }
    return SoDB::readAllVRML(&input);
}
