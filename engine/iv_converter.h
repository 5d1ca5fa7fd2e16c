// The converter for ".idf" files: current-voltage sweeps, and impedance
// runs, whose header holds the line "Method=Impedance".
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
// A line within the count that holds no number gives no row but counts.
// When a header line before "primary_data" is "Method=Impedance" (blanks at
// its end ignored) the rows hold Z', Z'' and the frequency, and are handed on
// in the impedance form: frequency, Z' * area, -Z'' * area. Fills `report`
// (its kind included) when given.
int ConvertIvRows(CString workPath, CRowSink& sink, ConversionReport* report = nullptr);

// The same, written as "%f,%f,%f\n" per point (an impedance run as
// "%f %f %f\n") into `outputPath` (text mode: CR LF on disk). A file without
// points still gets its empty output.
int ConvertIvFile(CString workPath, CString outputPath, ConversionReport* report = nullptr);
