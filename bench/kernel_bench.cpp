#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "ratio_reporter.h"
#include "support/reference_kernels.h"
#include "app/headless_run.h"
#include "sim/boundary_cells.h"
#include "sim/height_field.h"
#include "sim/random_drops.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"
#include "support/water_state.h"

namespace {

// Ticks run before anything is measured, so that every kernel sees moving
// water with several drops in it rather than the still pool of the start.
constexpr int warmUpTicks = 300;

// Kernels that change the water get their start state back this often, so
// that the water never settles (or piles up drops) while being measured.
constexpr int callsBetweenRestores = 1000;

SoIdleSensor* tickSensor = nullptr;
WaterState startState;

void ourStep() { stepSimulation(); }
void ourBoundary() { applyBoundaryCells(heights); }
void ourDrop() { addRandomDrop(); }
void ourCaustic() { updateCausticTexture(); }
void ourMesh() { updateSurfaceCoordinates(); }

void ourTick()
{
    tickSensor->unschedule();
    frameTick(nullptr, tickSensor);
}

void referenceStep() { referenceStepSimulation(); }
void referenceBoundary() { referenceApplyBoundaryCells(heights); }
void referenceDrop() { referenceAddRandomDrop(); }
void referenceCaustic() { referenceUpdateCausticTexture(); }
void referenceMesh() { referenceUpdateSurfaceCoordinates(); }

void referenceTick()
{
    tickSensor->unschedule();
    referenceFrameTick(nullptr, tickSensor);
}

struct KernelPair {
    const char* name;
    void (*ours)();
    void (*reference)();
    // Calls made from the start state before the two results are compared.
    int comparedCalls;
};

const KernelPair kernelPairs[] = {
    {"stepSimulation", ourStep, referenceStep, 500},
    {"applyBoundaryCells", ourBoundary, referenceBoundary, 3},
    {"addRandomDrop", ourDrop, referenceDrop, 200},
    {"updateCausticTexture", ourCaustic, referenceCaustic, 1},
    {"updateSurfaceCoordinates", ourMesh, referenceMesh, 1},
    {"frameTick", ourTick, referenceTick, 3000},
};

// Runs both kernels from the same state and stops the program if their results differ in any bit.
void compareWithReference(const KernelPair& pair)
{
    restoreWaterState(startState);
    for (int n = 0; n < pair.comparedCalls; ++n) {
        pair.ours();
    }
    const WaterState ours = captureWaterState();
    restoreWaterState(startState);
    for (int n = 0; n < pair.comparedCalls; ++n) {
        pair.reference();
    }
    const WaterState reference = captureWaterState();
    const std::string difference = firstDifference(ours, reference);
    if (!difference.empty()) {
        std::fprintf(stderr, "%s: the %s differ from the plain reference's after %d calls\n", pair.name,
            difference.c_str(), pair.comparedCalls);
        std::abort();
    }
}

void measure(benchmark::State& state, void (*kernel)())
{
    restoreWaterState(startState);
    int sinceRestore = 0;
    for (auto _ : state) {
        kernel();
        if (++sinceRestore == callsBetweenRestores) {
            state.PauseTiming();
            restoreWaterState(startState);
            sinceRestore = 0;
            state.ResumeTiming();
        }
    }
}

}

int main(int argc, char** argv)
{
    // Other work on the machine shows up as noise: by default every kernel runs
    // five times, ours and the reference's interleaved at random, and the
    // median counts. Flags given on the command line come later and win.
    std::vector<char*> arguments{argv[0]};
    std::string defaults[] = {"--benchmark_repetitions=5", "--benchmark_enable_random_interleaving=true",
        "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.2"};
    for (std::string& flag : defaults) {
        arguments.push_back(flag.data());
    }
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    SoSeparator* root = startHeadlessRun();
    tickSensor = new SoIdleSensor;
    for (int n = 0; n < warmUpTicks; ++n) {
        ourTick();
    }
    startState = captureWaterState();

    for (const KernelPair& pair : kernelPairs) {
        compareWithReference(pair);
    }
    std::printf("grid size %d: every kernel matches its plain reference bit for bit\n", gridSize);

    for (const KernelPair& pair : kernelPairs) {
        benchmark::RegisterBenchmark((std::string(pair.name) + "/ours").c_str(), measure, pair.ours)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string(pair.name) + "/reference").c_str(), measure, pair.reference)
            ->Unit(benchmark::kMicrosecond);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::vector<std::string> kernels;
    for (const KernelPair& pair : kernelPairs) {
        kernels.push_back(pair.name);
    }
    reporter.printRatios(kernels);
    benchmark::Shutdown();

    tickSensor->unschedule();
    delete tickSensor;
    root->unref();
    return 0;
}
