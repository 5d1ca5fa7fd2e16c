// The current-voltage converter for ".idf" sweeps.
#pragma once

#include "engine/conversion_report.h"
#include "engine/row_sink.h"
#include "platform/cstring.h"

// What ConvertIvFile returns for a sweep without a positive point count.
inline constexpr int NO_POINTS = -2;

// Reads the work file, finds the "primary_data" line, takes the point count
// two lines further on and hands `sink` one row per point (first value,
// second value / area * -1000, third value), for at most that many points:
// a file that ends sooner gives the points it holds. Returns 0, or
// NO_POINTS when the count is not positive (no row is handed on then).
// Fills `report` when given.
int ConvertIvRows(CString workPath, CRowSink& sink, ConversionReport* report = nullptr);

// The same, written as "%f,%f,%f\n" per point into `outputPath` (text mode:
// CR LF on disk). A sweep without points still gets its empty output.
int ConvertIvFile(CString workPath, CString outputPath, ConversionReport* report = nullptr);
