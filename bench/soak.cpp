#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>
#include <Inventor/sensors/SoNodeSensor.h>
#include <Inventor/sensors/SoSensorManager.h>

#include "app/frame_tick.h"
#include "config/build_config.h"
#include "sim/height_field.h"
#include "app/headless_run.h"
#include "support/water_survey.h"

// A long headless run of one build: Coin and the scene as start-up makes
// them, no window, the tick called as the idle sensor would call it and the
// delay queue run after it as the event loop would. Usage: pelmora-soak-N [ticks]
namespace {

constexpr long defaultTicks = 1000000;

// Resident memory is compared at this tick and at the last one.
constexpr long earlyTick = 10000;

// Growth of resident memory, in pages, that still counts as "the same".
constexpr long pagesOfSlack = 2;

// Largest distance of a height from rest that a healthy run may reach.
constexpr double deviationBound = 2.0;

long residentPages()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident;
}

// Stands in for the viewer's redraw trigger, so that every refresh notifies
// the scene all the way up to a sensor as it does in the live program.
void noteRedraw(void*, SoSensor*) {}

}

int main(int argc, char** argv)
{
    const long ticks = argc > 1 ? std::atol(argv[1]) : defaultTicks;
    SoSeparator* root = startHeadlessRun();
    auto* tickSensor = new SoIdleSensor;
    auto* redrawSensor = new SoNodeSensor(noteRedraw, nullptr);
    redrawSensor->attach(root);

    bool finite = true;
    double largestDeviation = 0.0;
    double largestDrift = 0.0;
    double driftSum = 0.0;
    long earlyPages = 0;
    for (long n = 1; n <= ticks; ++n) {
        tickSensor->unschedule();
        frameTick(nullptr, tickSensor);
        SoDB::getSensorManager()->processDelayQueue(FALSE);
        const WaterSurvey survey = surveyWater();
        finite = finite && survey.finite;
        largestDeviation = std::fmax(largestDeviation, survey.largestDeviation);
        const double drift = survey.meanLevel - restHeight;
        largestDrift = std::fmax(largestDrift, std::fabs(drift));
        driftSum += drift;
        if (n == earlyTick) {
            earlyPages = residentPages();
        }
    }
    const long lastPages = residentPages();
    const WaterSurvey last = surveyWater();

    std::printf("grid size %d, %ld ticks\n", gridSize, ticks);
    std::printf("  heights finite throughout:       %s\n", finite ? "yes" : "NO");
    std::printf("  largest |height - 10|:           %.6f (bound %.1f)\n", largestDeviation, deviationBound);
    std::printf("  mean level - 10 at the end:      %+.3e\n", last.meanLevel - restHeight);
    std::printf("  mean level - 10, average:        %+.3e\n", driftSum / ticks);
    std::printf("  mean level - 10, largest |.|:    %.3e\n", largestDrift);
    if (ticks >= earlyTick) {
        std::printf("  resident pages at %ld ticks:   %ld\n", earlyTick, earlyPages);
        std::printf("  resident pages at the end:       %ld (%+ld)\n", lastPages, lastPages - earlyPages);
    }

    const bool healthy = finite && largestDeviation < deviationBound
        && (ticks < earlyTick || lastPages - earlyPages <= pagesOfSlack);
    std::printf("  %s\n", healthy ? "healthy" : "FAILED");

    delete redrawSensor;
    tickSensor->unschedule();
    delete tickSensor;
    root->unref();
    return healthy ? 0 : 1;
}
