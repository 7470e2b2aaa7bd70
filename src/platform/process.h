#pragma once

#include <string>

// What the programs ask of the process they run in, one file per platform.

// The running program's own name, without its folder, as its lines begin.
const char* programName();

// The folder that holds the running program's file: the model checker and the
// renderers live beside the programs that start them.
const std::string& programFolder();

// Sets an environment variable for this process and the programs it starts;
// with keep, one already set stays as it is.
void setVariable(const char* name, const char* value, bool keep = false);
