#include "virtual_display.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

VirtualDisplay startVirtualDisplay(const std::vector<std::string>& extraArguments)
{
    VirtualDisplay display;
    int ready[2];
    if (pipe(ready) != 0) {
        return display;
    }
    std::vector<std::string> words = {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"};
    words.insert(words.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> arguments;
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        // A test that crashes never stops its server; the server then goes with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execvp("Xvfb", arguments.data());
        _exit(127);
    }
    close(ready[1]);
    if (child < 0) {
        close(ready[0]);
        return display;
    }
    // Xvfb writes its display number and a newline once it accepts
    // connections; if it dies first the pipe just closes.
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(ready[0]);
    display.pid = child;
    if (!number.empty()) {
        display.name = ":" + number;
    }
    return display;
}

void stopVirtualDisplay(VirtualDisplay& display)
{
    if (display.pid > 0) {
        kill(display.pid, SIGTERM);
        waitpid(display.pid, nullptr, 0);
    }
    display.pid = -1;
}
