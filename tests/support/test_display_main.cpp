// pelmora-test-display: one virtual X server for a whole test program, or for
// one command.
//
//   pelmora-test-display start FILE   starts a server that outlives this call and
//                                     writes its display name and keeper's pid to FILE
//   pelmora-test-display stop FILE    ends the server that FILE names
//   pelmora-test-display run COMMAND  runs COMMAND with DISPLAY on a server of its own
//
// The suite's server is kept by a small process of its own, so that it
// outlives the setup step; it also ends by itself after an hour, so that an
// interrupted test run leaves nothing behind for long.

#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "support/virtual_display.h"
#include "support/waiting.h"

namespace {

// The longest a suite's server is kept without being asked to stop.
constexpr unsigned int keeperSeconds = 3600;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

int usage()
{
    std::fputs("usage: pelmora-test-display start FILE | stop FILE | run COMMAND [ARGUMENT]...\n", stderr);
    return 2;
}

// Starts the server, says where it is, and keeps it until asked to stop.
void serve(const std::string& file)
{
    const VirtualDisplay server;
    if (server.name.empty()) {
        return;
    }
    const std::string partial = file + ".partial";
    std::ofstream(partial) << server.name << " " << getpid() << "\n";
    std::rename(partial.c_str(), file.c_str());
    for (unsigned int second = 0; second < keeperSeconds && stopRequested == 0; ++second) {
        sleep(1);
    }
}

// Becomes the keeper, out of the caller's session and off its output, which
// the test runner waits on.
[[noreturn]] void keep(const std::string& file)
{
    setsid();
    const int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, STDIN_FILENO);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    serve(file);
    _exit(0);
}

int start(const std::string& file)
{
    std::remove(file.c_str());
    const pid_t keeper = fork();
    if (keeper == 0) {
        keep(file);
    }
    if (keeper < 0) {
        return 1;
    }
    int status = 0;
    const bool written = waitUntil(
        [&] { return access(file.c_str(), R_OK) == 0 || waitpid(keeper, &status, WNOHANG) == keeper; }, 30.0);
    return written && access(file.c_str(), R_OK) == 0 ? 0 : 1;
}

int stop(const std::string& file)
{
    std::string name;
    pid_t keeper = 0;
    std::ifstream(file) >> name >> keeper;
    std::remove(file.c_str());
    // The keeper takes its server down; nothing waits on it, so no test does.
    if (keeper > 0) {
        kill(keeper, SIGTERM);
    }
    return 0;
}

int run(char** command)
{
    const VirtualDisplay server;
    if (server.name.empty()) {
        std::fputs("pelmora-test-display: Xvfb did not start\n", stderr);
        return 1;
    }
    const pid_t child = fork();
    if (child == 0) {
        setenv("DISPLAY", server.name.c_str(), 1);
        execvp(command[0], command);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        return usage();
    }
    const std::string verb = argv[1];
    if (verb == "start" && argc == 3) {
        return start(argv[2]);
    }
    if (verb == "stop" && argc == 3) {
        return stop(argv[2]);
    }
    if (verb == "run") {
        return run(argv + 2);
    }
    return usage();
}
