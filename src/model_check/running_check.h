#pragma once

#include <chrono>
#include <string>

#include "platform/limited_child.h"

// A check of a model under way in pelmora-model-check, from its start to its
// verdict: the path it checks, the child that runs it under the check's
// limits, and when it runs out of time. Ending it, however it ends, ends
// and reaps the child.
struct RunningCheck {
    std::string path;
    LimitedChildOwner child;    // null when nothing is checked
    std::chrono::steady_clock::time_point deadline;
};

// Starts the check of the model at path when a regular file stands there, so
// that it runs while the program does other things; else nothing is started.
RunningCheck startModelCheck(const std::string& path);

// Waits for the check's verdict: why it did not pass the model, in its own
// words where it gave any, or empty when it passed.
std::string awaitModelCheck(RunningCheck check);
