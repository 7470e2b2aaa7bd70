#include "support/water_survey.h"

#include <cmath>

#include "config/build_config.h"
#include "sim/height_field.h"

WaterSurvey surveyWater()
{
    WaterSurvey survey{true, 0.0, 0.0};
    for (int cell = 0; cell < gridCellCount; ++cell) {
        survey.finite = survey.finite && std::isfinite(heights[cell]) && std::isfinite(velocities[cell]);
        survey.largestDeviation = std::fmax(survey.largestDeviation, std::fabs(heights[cell] - restHeight));
    }
    double sum = 0.0;
    int cells = 0;
    for (int i = 1; i <= gridSize; ++i) {
        for (int j = 1; j <= gridSize; ++j) {
            if (i > cornerBlockSize || j > cornerBlockSize) {
                sum += heights[i * gridStride + j];
                ++cells;
            }
        }
    }
    survey.meanLevel = sum / cells;
    return survey;
}
