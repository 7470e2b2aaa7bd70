#include "support/child.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <sstream>

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

// After a failed test, what each of its children wrote to standard error.
class ChildErrorsOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        for (const EndedChild& child : endedChildren) {
            const std::string& errors = child.errors;
            const std::size_t from = errors.size() > shownErrorBytes ? errors.size() - shownErrorBytes : 0;
            if (test.result()->Failed()) {
                std::printf("--- standard error of %s (pid %d)%s ---\n%s", child.program.c_str(),
                            static_cast<int>(child.pid), from > 0 ? ", its end" : "", errors.c_str() + from);
                std::printf("%s--- end of %s (pid %d) ---\n", errors.empty() || errors.back() == '\n' ? "" : "\n",
                            child.program.c_str(), static_cast<int>(child.pid));
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

std::vector<char*> pointersTo(const std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    for (const std::string& word : words) {
        pointers.push_back(const_cast<char*>(word.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// This process's environment with the launch's changes and its DISPLAY.
std::vector<std::string> childEnvironment(const Launch& launch)
{
    std::map<std::string, std::string> variables;
    const auto set = [&](const std::string& entry) { variables[entry.substr(0, entry.find('='))] = entry; };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        set(*entry);
    }
    std::vector<std::string> changes = launch.environment;
    changes.push_back(launch.display.empty() ? "DISPLAY" : "DISPLAY=" + launch.display);
    for (const std::string& change : changes) {
        if (change.find('=') == std::string::npos) {
            variables.erase(change);
        } else {
            set(change);
        }
    }
    std::vector<std::string> result;
    for (const auto& variable : variables) {
        result.push_back(variable.second);
    }
    return result;
}

}

Child::Child(const Launch& launch) : program_(launch.arguments.at(0))
{
    const std::string errorsPath = files_.path + "/errors";
    const std::string outputPath = launch.output == Output::kept ? files_.path + "/output" : "/dev/null";
    const std::vector<std::string> environment = childEnvironment(launch);
    std::vector<char*> argv = pointersTo(launch.arguments);
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

std::vector<std::string> ownLines(const std::string& text, const std::string& program)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        // A Windows program's standard error is text: its lines end in "\r\n".
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind(program + ": ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}
