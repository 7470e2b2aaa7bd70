#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// The console's usual lines, and after the last benchmark a table that sets
// each kernel's time beside its plain reference's. Benchmarks are named
// "<kernel>/ours" and "<kernel>/reference".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    // One line per kernel, in the order given.
    void printRatios(const std::vector<std::string>& kernels) const;

private:
    // Microseconds per call, by benchmark name.
    std::map<std::string, double> microseconds;
    // Names whose time is the median of repetitions.
    std::set<std::string> fromMedian;
};
