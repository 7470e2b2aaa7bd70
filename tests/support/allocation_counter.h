#pragma once

// Counts every allocation through the global operator new in this test program.
extern long allocationCount;
