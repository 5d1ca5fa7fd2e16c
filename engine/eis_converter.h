// The impedance converter for ".csv" exports.
#pragma once

#include "engine/conversion_report.h"
#include "platform/cstring.h"

// The message shown once when a data row lacks the "EIS" marker.
inline constexpr const char* EIS_MISSING_MESSAGE = "Can't find EIS data in the current file!\r\n";

// Skips the header line, then writes "%f %f %f\n" (frequency, real part,
// negated imaginary part, impedance scaled by the area) per "EIS" row into
// `outputPath`. Stops with one message box at the first row without "EIS".
// Returns 0. Fills `report` when given.
int ConvertEisCsv(CString workPath, CString outputPath, ConversionReport* report = nullptr);
