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

// Lets the one-line messages of a program that has a window reach whoever
// started it. Called once at start-up. On Windows, where such a program has no
// console of its own, a standard error that goes nowhere is joined to the
// console it was started from, if any; a redirected one stays as it is.
void reachCallersConsole();
