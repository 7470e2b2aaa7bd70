#pragma once

// What a long run watches in the water after each tick.
struct WaterSurvey {
    // Every cell of the bordered grid, heights and velocities, is a finite number.
    bool finite;
    // Largest distance of any height from the rest height.
    double largestDeviation;
    // Mean height of the water cells: rows and columns 1 ... gridSize less the corner block.
    double meanLevel;
};

// Looks at the whole grid as it is now.
WaterSurvey surveyWater();
