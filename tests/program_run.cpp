#include "program_run.h"

#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ProgramRun runProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& settings)
{
    std::vector<std::string> words = arguments;
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "DISPLAY=", 8) != 0) {
            environment.push_back(*entry);
        }
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    ProgramRun run;
    int errors[2];
    if (pipe(errors) != 0) {
        return run;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(errors[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(errors[1], STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(errors[1]);
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(errors[0], buffer, sizeof buffer)) > 0) {
        run.errors.append(buffer, static_cast<std::size_t>(got));
    }
    close(errors[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    return run;
}
