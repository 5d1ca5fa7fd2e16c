// The impedance converter for ".csv" exports.
#pragma once

#include "engine/conversion_report.h"
#include "engine/row_sink.h"
#include "platform/cstring.h"

// The message shown once when a data row lacks the "EIS" marker.
inline constexpr const char* EIS_MISSING_MESSAGE = "Can't find EIS data in the current file!\r\n";

// Hands `sink` the row of one impedance point: the frequency, Z' * area and
// -Z'' * area, the area applied in single precision while the area flag is
// 1. Both impedance forms (".csv" exports and ".idf" runs) write through it.
// Returns how many values became infinite or not a number from finite ones.
int HandImpedanceRow(CRowSink& sink, float frequency, float real, float imaginary);

// Skips the header line, then hands `sink` one row per "EIS" row: the
// frequency, the real part and the negated imaginary part, the impedance
// scaled by the area. Stops with one message box at the first row without
// "EIS". Returns 0. Fills `report` when given.
int ConvertEisRows(CString workPath, CRowSink& sink, ConversionReport* report = nullptr);

// The same, written as "%f %f %f\n" per row into `outputPath` (text mode:
// CR LF on disk).
int ConvertEisCsv(CString workPath, CString outputPath, ConversionReport* report = nullptr);
