#pragma once

#include <string>
#include <vector>

// How a program ended: its exit status (-1 if it did not exit normally) and
// everything it wrote to standard error.
struct ProgramRun {
    int status = -1;
    std::string errors;
};

// Runs a program with this process's environment less DISPLAY, plus the given
// NAME=VALUE settings; its standard output is dropped.
ProgramRun runProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& settings);
