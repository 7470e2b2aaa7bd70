#pragma once

// Programs a test starts as children, with the arguments and environment it
// chooses, owned so that each is ended and reaped on every path out of the
// test. What a child writes to standard error is kept, and printed after a
// test that fails.

#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "support/files.h"

// Where a child's standard output goes.
enum class Output { discarded, kept, withErrors };

// How to start a child.
struct Launch {
    std::vector<std::string> arguments;   // the program, then its arguments
    std::string directory;                // working directory; empty for this one
    std::string display;                  // its DISPLAY; empty for none at all
    std::vector<std::string> environment; // NAME=VALUE to set, a bare NAME to remove
    Output output = Output::discarded;
    rlim_t fileSizeLimit = 0;             // largest file it may write, in bytes; 0 for no limit
    int deathSignal = SIGKILL;            // sent to it if the test process ends first
};

class Child {
public:
    explicit Child(const Launch& launch);
    // Ends the child if it still runs, reaps it, and keeps its standard error
    // for the report of a failed test.
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // -1 if it could not be started.
    pid_t pid() const { return pid_; }

    // True while it runs; once it has ended, its wait status is in status().
    bool running();

    // Waits up to the seconds for it to end; false if it did not.
    bool waitForExit(double seconds);

    // Waits for it to end, however long, and gives its wait status.
    int wait();

    int status() const { return status_; }

    // What it has written so far to standard error, and with Output::kept to standard output.
    std::string errors() const;
    std::string output() const;

private:
    const TemporaryFolder files_;
    const std::string program_;
    pid_t pid_ = -1;
    bool ended_ = true;
    int status_ = 0;
};

// How a program ended: its exit status (-1 if it did not exit normally), the
// signal that ended it (0 if none) and everything it wrote to standard error.
struct ProgramRun {
    int status = -1;
    int signal = 0;
    std::string errors;
};

// Runs a child to its end.
ProgramRun runProgram(const Launch& launch);

// The lines that a program wrote itself: those that begin with its name and a
// colon, each without its line end ("\n", or a Windows program's "\r\n").
std::vector<std::string> ownLines(const std::string& text, const std::string& program);
