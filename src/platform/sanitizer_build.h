#pragma once

#include <string>
#include <vector>

// What differs in a build with AddressSanitizer, gathered here so that the
// rest of the code reads the same in every build.

// Whether this build runs under AddressSanitizer.
bool addressSanitized();

// A sanitized program reserves terabytes of address space and cannot run
// under a limit on it: the limit on address space is not set there, and this
// gives the environment entry that asks the sanitizer for its own limit on
// resident memory instead, the child's other options kept. Empty when the
// build is not sanitized.
std::string sanitizerMemoryLimit(const std::vector<std::string>& environment, long bytes);

// Whether a sanitized child's standard error says that the sanitizer's own
// limit on resident memory ended it: the sanitizer then exits with its
// status for any error, and only its report tells the limit apart.
bool sanitizerMemoryLimitReached(const std::string& errors);

// Runs the sanitizer's leak check now, in a sanitized build; nothing else.
// For a program whose last act unloads a library that the leak check's
// suppressions name by its file: after that the check cannot name them.
void checkLeaksNow();
