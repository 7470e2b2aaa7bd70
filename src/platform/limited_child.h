#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// A program run as a child under limits, so that whatever it meets cannot
// crash, hang or exhaust the program that started it. One implementation
// per platform.

struct ChildLimits {
    long memoryBytes;       // address space
    long processorSeconds;
    long stackBytes;
};

// How a child under limits ended.
enum class ChildEnd { NotStarted, Exited, OutOfProcessorTime, OutOfTime, OutOfMemory, Crashed };

struct ChildOutcome {
    ChildEnd end = ChildEnd::NotStarted;
    int exitStatus = 0;     // when it exited
    std::string crash;      // when it crashed: what ended it, such as "Segmentation fault"
    std::string errors;     // the end of what it wrote to standard error
};

// The platform's own record of a running child.
struct LimitedChild;

// Ends the child if it still runs, reaps it and closes what was kept of it.
struct EndLimitedChild {
    void operator()(LimitedChild* child) const;
};
using LimitedChildOwner = std::unique_ptr<LimitedChild, EndLimitedChild>;

// How a program that limits itself ends at one of its limits: its exit
// status, and its line on standard error, without the newline.
struct LimitEnd {
    int status;
    std::string line;
};

struct SelfLimitEnds {
    LimitEnd processorTime;
    LimitEnd wallTime;
    LimitEnd crash;         // its line gains what ended it, such as " (Segmentation fault)"
    LimitEnd memory;        // a crash once the memory has run out: a library that took no for an answer
};

// For a program that limits itself: lowers this process's own limits to
// these, never raising one set lower before, and from here on ends it as
// told when it runs out of processor time, when wallSeconds have passed, or
// when it crashes, out of memory or not; no core file and no error dialog
// either way.
void limitThisProcess(const ChildLimits& limits, long wallSeconds, const SelfLimitEnds& ends);

// Starts the program with its arguments, its standard input and output
// quiet, under the limits; it ends with this process, should this one end
// first. Null when it cannot be started.
LimitedChildOwner startLimitedChild(const std::string& program, const std::vector<std::string>& arguments,
                                    const ChildLimits& limits);

// Waits for the child to end, until the deadline at most, after which it is
// ended; reads its standard error all along, so that it never waits on a
// full pipe, keeping the last keptBytes.
ChildOutcome awaitLimitedChild(LimitedChildOwner child, std::chrono::steady_clock::time_point deadline,
                               std::size_t keptBytes);
