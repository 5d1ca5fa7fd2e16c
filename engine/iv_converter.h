// The current-voltage converter for ".idf" sweeps.
#pragma once

#include "engine/conversion_report.h"
#include "platform/cstring.h"

// What ConvertIvFile returns for a sweep without a positive point count.
inline constexpr int NO_POINTS = -2;

// Reads the work file, finds the "primary_data" line, takes the point count
// two lines further on and writes "%f,%f,%f\n" per point into `outputPath`
// (text mode: CR LF on disk), for at most that many points: a file that ends
// sooner gives the points it holds. Returns 0, or NO_POINTS when the count
// is not positive (the output file is then empty). Fills `report` when given.
int ConvertIvFile(CString workPath, CString outputPath, ConversionReport* report = nullptr);
