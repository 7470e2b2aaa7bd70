#include "support/child.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/waiting.h"

extern char** environ;

namespace {

// Most of a child's standard error that a failed test prints: its end, where
// a crash or a sanitizer's report is.
constexpr std::size_t shownErrorBytes = 64 * 1024;

// A child that ended in the running test, and what it wrote to standard error.
struct EndedChild {
    std::string program;
    pid_t pid;
    std::string errors;
};
std::vector<EndedChild> endedChildren;

void show(const EndedChild& child)
{
    const std::string& errors = child.errors;
    const std::size_t from = errors.size() > shownErrorBytes ? errors.size() - shownErrorBytes : 0;
    std::printf("--- standard error of %s (pid %d)%s ---\n%s", child.program.c_str(), static_cast<int>(child.pid),
                from > 0 ? ", its end" : "", errors.c_str() + from);
    std::printf("%s--- end of %s (pid %d) ---\n", errors.empty() || errors.back() == '\n' ? "" : "\n",
                child.program.c_str(), static_cast<int>(child.pid));
}

// After a failed test, what each of its children wrote to standard error.
class ChildErrorsOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        for (const EndedChild& child : endedChildren) {
            if (test.result()->Failed()) {
                show(child);
            }
        }
        std::fflush(stdout);
        endedChildren.clear();
    }
};

const bool childErrorsShown = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ChildErrorsOnFailure);
    return true;
}();

std::vector<char*> pointersTo(std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

bool namesVariable(const std::string& entry, const std::string& name)
{
    return entry.compare(0, name.size(), name) == 0 && entry.size() > name.size() && entry[name.size()] == '=';
}

// This process's environment with the launch's changes and its DISPLAY.
std::vector<std::string> childEnvironment(const Launch& launch)
{
    std::vector<std::string> changes = launch.environment;
    changes.push_back(launch.display.empty() ? "DISPLAY" : "DISPLAY=" + launch.display);
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        bool replaced = false;
        for (const std::string& change : changes) {
            replaced = replaced || namesVariable(*entry, change.substr(0, change.find('=')));
        }
        if (!replaced) {
            result.emplace_back(*entry);
        }
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) {
            result.push_back(change);
        }
    }
    return result;
}

}

Child::Child(const Launch& launch) : program_(launch.arguments.at(0))
{
    const std::string errorsPath = files_.path + "/errors";
    const std::string outputPath = launch.output == Output::kept ? files_.path + "/output" : "/dev/null";
    std::vector<std::string> words = launch.arguments;
    std::vector<std::string> environment = childEnvironment(launch);
    std::vector<char*> argv = pointersTo(words);
    std::vector<char*> envp = pointersTo(environment);
    pid_ = fork();
    if (pid_ == 0) {
        // A test that crashes takes its programs with it.
        prctl(PR_SET_PDEATHSIG, launch.deathSignal);
        if (!launch.directory.empty() && chdir(launch.directory.c_str()) != 0) {
            _exit(126);
        }
        const int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int output =
            launch.output == Output::withErrors ? errors : open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(output, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        if (launch.fileSizeLimit > 0) {
            const rlimit limit = {launch.fileSizeLimit, launch.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ended_ = pid_ < 0;
}

Child::~Child()
{
    if (running()) {
        kill(pid_, SIGKILL);
        wait();
    }
    endedChildren.push_back({program_, pid_, errors()});
}

bool Child::running()
{
    ended_ = ended_ || waitpid(pid_, &status_, WNOHANG) != 0;
    return !ended_;
}

bool Child::waitForExit(double seconds)
{
    return waitUntil([&] { return !running(); }, seconds);
}

int Child::wait()
{
    if (running()) {
        waitpid(pid_, &status_, 0);
        ended_ = true;
    }
    return status_;
}

std::string Child::errors() const
{
    return fileBytes(files_.path + "/errors");
}

std::string Child::output() const
{
    return fileBytes(files_.path + "/output");
}

ProgramRun runProgram(const Launch& launch)
{
    Child child(launch);
    ProgramRun run;
    const int status = child.wait();
    if (child.pid() > 0) {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        run.errors = child.errors();
    }
    return run;
}
