#include "ratio_reporter.h"

#include <cstdio>

namespace {

double toMicroseconds(double value, benchmark::TimeUnit unit)
{
    switch (unit) {
    case benchmark::kNanosecond:
        return value / 1000.0;
    case benchmark::kMicrosecond:
        return value;
    case benchmark::kMillisecond:
        return value * 1000.0;
    case benchmark::kSecond:
        return value * 1000000.0;
    }
    return value;
}

}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    benchmark::ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        // Google Benchmark 1.8 put a run's error flag into its skip state,
        // which also marks a run skipped by the benchmark itself: neither was timed.
#if PELMORA_BENCHMARK_VERSION_MAJOR > 1 || PELMORA_BENCHMARK_VERSION_MINOR >= 8
        if (run.skipped) {
#else
        if (run.error_occurred) {
#endif
            continue;
        }
        // With repetitions the median stands for the kernel; without, its one run does.
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) {
            continue;
        }
        const std::string name = run.run_name.str();
        if (median || fromMedian.count(name) == 0) {
            microseconds[name] = toMicroseconds(run.GetAdjustedRealTime(), run.time_unit);
        }
        if (median) {
            fromMedian.insert(name);
        }
    }
}

void RatioReporter::printRatios(const std::vector<std::string>& kernels) const
{
    std::printf("\n%-28s %12s %16s %18s\n", "kernel", "ours (us)", "reference (us)", "reference / ours");
    for (const std::string& kernel : kernels) {
        const auto ours = microseconds.find(kernel + "/ours");
        const auto reference = microseconds.find(kernel + "/reference");
        if (ours == microseconds.end() || reference == microseconds.end()) {
            continue;
        }
        std::printf("%-28s %12.3f %16.3f %18.2f\n", kernel.c_str(), ours->second, reference->second,
            reference->second / ours->second);
    }
}
