#include "platform/limited_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/sanitizer_build.h"

extern char** environ;

struct LimitedChild {
    pid_t pid = -1;
    int errors = -1;    // the reading end of its standard error
};

namespace {

// How often the wait looks at its clock when the child says nothing.
constexpr int waitSliceMilliseconds = 2;

// Lowers a limit to the value, and never raises one set lower before.
void lowerLimit(int resource, rlim_t soft, rlim_t hard)
{
    rlimit limit {};
    getrlimit(resource, &limit);
    limit.rlim_cur = limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > soft ? soft : limit.rlim_cur;
    limit.rlim_max = limit.rlim_max == RLIM_INFINITY || limit.rlim_max > hard ? hard : limit.rlim_max;
    limit.rlim_cur = limit.rlim_cur > limit.rlim_max ? limit.rlim_max : limit.rlim_cur;
    setrlimit(resource, &limit);
}

// Only calls the kernel, so that a child may call it between fork and exec.
// Processor time sends SIGXCPU a second before the kernel kills.
void lowerLimits(const ChildLimits& limits, rlim_t stackBytes)
{
    lowerLimit(RLIMIT_CORE, 0, 0);
    lowerLimit(RLIMIT_CPU, static_cast<rlim_t>(limits.processorSeconds), static_cast<rlim_t>(limits.processorSeconds + 1));
    lowerLimit(RLIMIT_STACK, stackBytes, stackBytes);
    if (!addressSanitized()) {
        lowerLimit(RLIMIT_AS, static_cast<rlim_t>(limits.memoryBytes), static_cast<rlim_t>(limits.memoryBytes));
    }
}

// The child's stack is at most half of ours, so that whatever it reads to the
// end leaves this program room to spare.
rlim_t childStackBytes(const ChildLimits& limits)
{
    rlimit own {};
    const rlim_t wanted = static_cast<rlim_t>(limits.stackBytes);
    if (getrlimit(RLIMIT_STACK, &own) == 0 && own.rlim_cur != RLIM_INFINITY && own.rlim_cur / 2 < wanted) {
        return own.rlim_cur / 2;
    }
    return wanted;
}

// Ours, with the sanitizer's own memory limit where it takes the place of ours.
std::vector<std::string> childEnvironment(const ChildLimits& limits)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environment.emplace_back(*entry);
    }
    const std::string limit = sanitizerMemoryLimit(environment, limits.memoryBytes);
    if (!limit.empty()) {
        const std::string name = limit.substr(0, limit.find('=') + 1);
        for (auto entry = environment.begin(); entry != environment.end(); ++entry) {
            if (entry->compare(0, name.size(), name) == 0) {
                environment.erase(entry);
                break;
            }
        }
        environment.push_back(limit);
    }
    return environment;
}

std::vector<char*> pointersTo(std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Between fork and exec only calls that are safe in a child of a threaded
// program: the limits, the standard streams, exec.
[[noreturn]] void execLimited(char* const* arguments, char* const* environment, const ChildLimits& limits,
                              rlim_t stackBytes, pid_t parent, int errors)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) {
        _exit(127);
    }
    const int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, STDIN_FILENO);
    dup2(quiet, STDOUT_FILENO);
    dup2(errors, STDERR_FILENO);
    lowerLimits(limits, stackBytes);
    execve(arguments[0], arguments, environment);
    _exit(127);
}

// Room for a signal handler when the stack has run out.
alignas(16) char handlerStack[64 * 1024];

// How a signal ends a process that limits itself: its status, and its whole
// line, made before any signal can come, since a handler may only write.
struct SignalEnd {
    int signal;
    int status;
    std::string line;
};

std::vector<SignalEnd> signalEnds;
int crashStatus = 1;

// A crash with the address space all but used up is the memory running
// out: the scene library does not check every allocation, and goes on with
// the null pointer it was given.
SignalEnd memoryEnd;
unsigned long memoryLimitPages = 0;

// Pages of address space in use, from /proc/self/statm, with only the calls
// a signal handler may make; 0 when it cannot be read.
unsigned long pagesInUse()
{
    char text[64] = {};
    const int file = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return 0;
    }
    const ssize_t got = read(file, text, sizeof text - 1);
    close(file);
    unsigned long pages = 0;
    for (ssize_t n = 0; n < got && text[n] >= '0' && text[n] <= '9'; ++n) {
        pages = pages * 10 + static_cast<unsigned long>(text[n] - '0');
    }
    return pages;
}

bool memoryRanOut()
{
    return memoryLimitPages > 0 && pagesInUse() >= memoryLimitPages / 4 * 3;
}

void endOnSignal(int signal)
{
    if ((signal == SIGSEGV || signal == SIGBUS) && memoryRanOut()) {
        const ssize_t written = write(STDERR_FILENO, memoryEnd.line.data(), memoryEnd.line.size());
        _exit(written >= 0 ? memoryEnd.status : crashStatus);
    }
    for (const SignalEnd& end : signalEnds) {
        if (end.signal == signal) {
            const ssize_t written = write(STDERR_FILENO, end.line.data(), end.line.size());
            _exit(written >= 0 ? end.status : crashStatus);
        }
    }
    _exit(crashStatus);
}

// Reads what the child has written so far, keeping the end; gives what read gave.
// A sanitizer's report of its memory limit is followed by the process's
// whole memory map, so it is looked for as it passes.
ssize_t readErrors(int errors, std::string& kept, std::size_t keptBytes, bool& sanitizerLimit)
{
    char chunk[4096];
    const ssize_t got = read(errors, chunk, sizeof chunk);
    if (got > 0) {
        kept.append(chunk, static_cast<std::size_t>(got));
        sanitizerLimit = sanitizerLimit || sanitizerMemoryLimitReached(kept);
        kept.erase(0, kept.size() > keptBytes ? kept.size() - keptBytes : 0);
    }
    return got;
}

}

void EndLimitedChild::operator()(LimitedChild* child) const
{
    if (child->pid > 0) {
        kill(child->pid, SIGKILL);
        waitpid(child->pid, nullptr, 0);
    }
    if (child->errors >= 0) {
        close(child->errors);
    }
    delete child;
}

// Processor time ends the process with SIGXCPU, a second before the kernel
// would kill it; the clock with SIGALRM; a stack overflow with SIGSEGV,
// handled on a stack of its own.
void limitThisProcess(const ChildLimits& limits, long wallSeconds, const SelfLimitEnds& ends)
{
    // No core file, not even through a core-collecting pipe.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    lowerLimits(limits, static_cast<rlim_t>(limits.stackBytes));
    crashStatus = ends.crash.status;
    memoryEnd = {SIGSEGV, ends.memory.status, ends.memory.line + "\n"};
    memoryLimitPages = addressSanitized() ? 0 : static_cast<unsigned long>(limits.memoryBytes / sysconf(_SC_PAGESIZE));
    signalEnds = {{SIGXCPU, ends.processorTime.status, ends.processorTime.line + "\n"},
        {SIGALRM, ends.wallTime.status, ends.wallTime.line + "\n"}};
    for (const int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        signalEnds.push_back({crash, ends.crash.status, ends.crash.line + " (" + strsignal(crash) + ")\n"});
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
    alarm(static_cast<unsigned>(wallSeconds));
}

LimitedChildOwner startLimitedChild(const std::string& program, const std::vector<std::string>& arguments,
                                    const ChildLimits& limits)
{
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = childEnvironment(limits);
    const std::vector<char*> argumentPointers = pointersTo(words);
    const std::vector<char*> environmentPointers = pointersTo(environment);
    const rlim_t stackBytes = childStackBytes(limits);
    const pid_t parent = getpid();
    int errors[2] = {-1, -1};
    if (pipe2(errors, O_CLOEXEC) != 0) {
        return nullptr;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        execLimited(argumentPointers.data(), environmentPointers.data(), limits, stackBytes, parent, errors[1]);
    }
    close(errors[1]);
    if (pid < 0) {
        close(errors[0]);
        return nullptr;
    }
    fcntl(errors[0], F_SETFL, O_NONBLOCK);
    return LimitedChildOwner(new LimitedChild {pid, errors[0]});
}

ChildOutcome awaitLimitedChild(LimitedChildOwner child, std::chrono::steady_clock::time_point deadline,
                               std::size_t keptBytes)
{
    ChildOutcome outcome;
    if (child == nullptr) {
        return outcome;
    }
    bool open = true;
    bool sanitizerLimit = false;
    int status = 0;
    while (waitpid(child->pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            outcome.end = ChildEnd::OutOfTime;
            return outcome;     // the owner ends and reaps it
        }
        pollfd watched = {open ? child->errors : -1, POLLIN, 0};
        if (poll(&watched, 1, waitSliceMilliseconds) > 0) {
            const ssize_t got = readErrors(child->errors, outcome.errors, keptBytes, sanitizerLimit);
            open = got > 0 || (got < 0 && (errno == EAGAIN || errno == EINTR));
        }
    }
    child->pid = -1;
    while (open && readErrors(child->errors, outcome.errors, keptBytes, sanitizerLimit) > 0) {
    }
    if (WIFSIGNALED(status)) {
        // The kernel kills a child past its hard limit on processor time.
        const int signal = WTERMSIG(status);
        outcome.end = signal == SIGXCPU || signal == SIGKILL ? ChildEnd::OutOfProcessorTime : ChildEnd::Crashed;
        outcome.crash = strsignal(signal);
        return outcome;
    }
    outcome.exitStatus = WEXITSTATUS(status);
    outcome.end = outcome.exitStatus != 0 && sanitizerLimit ? ChildEnd::OutOfMemory : ChildEnd::Exited;
    return outcome;
}
