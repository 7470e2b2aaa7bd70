#pragma once

class SoSeparator;

// A fresh run of the pool with no window: the scene library started as the
// viewer binding would start it, the random source and the tick's counters
// at their first values, and the scene as start-up assembles it. For the
// picture renderer, the benchmarks and the tests, which drive the ticks
// themselves. The returned root is referenced; release it with unref.
SoSeparator* startHeadlessRun();
