#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <Inventor/sensors/SoIdleSensor.h>

#include "config/build_config.h"
#include "support/pool.h"
#include "sim/height_field.h"
#include "support/water_survey.h"

namespace {

// The short version of the soak run (ctest --preset soak runs a million ticks).
constexpr int soakTicks = 20000;

// A million ticks of every build stay within 1.64 of rest (bench/README.md);
// the bound leaves a margin above that.
constexpr double deviationBound = 2.0;

// The mean level of a million-tick run wanders by at most 0.084 from rest.
constexpr double driftBound = 0.1;


class Soak : public RunningPool {};

}

TEST_F(Soak, TwentyThousandTicksStayFiniteNearRestAndLevel)
{
    for (int n = 1; n <= soakTicks; ++n) {
        tick();
        const WaterSurvey survey = surveyWater();
        ASSERT_TRUE(survey.finite) << "tick " << n;
        ASSERT_LT(survey.largestDeviation, deviationBound) << "tick " << n;
        ASSERT_LT(std::fabs(survey.meanLevel - restHeight), driftBound) << "tick " << n;
    }
}

TEST_F(Soak, SurveySeesEveryKindOfFault)
{
    stillWater();
    WaterSurvey survey = surveyWater();
    EXPECT_TRUE(survey.finite);
    EXPECT_EQ(survey.largestDeviation, 0.0);
    EXPECT_EQ(survey.meanLevel, restHeight);

    // A border cell counts for finiteness and the bound, not for the level.
    heights[gridCellCount - 1] = restHeight + 3.0;
    survey = surveyWater();
    EXPECT_EQ(survey.largestDeviation, 3.0);
    EXPECT_EQ(survey.meanLevel, restHeight);

    velocities[gridStride + 1] = std::nan("");
    EXPECT_FALSE(surveyWater().finite);
    velocities[gridStride + 1] = 0.0;
    heights[gridStride * gridSize + gridSize] = -std::numeric_limits<double>::infinity();
    EXPECT_FALSE(surveyWater().finite);
}
