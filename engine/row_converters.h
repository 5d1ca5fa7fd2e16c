// The converters by their row form: what a caller that wants rows rather
// than an output file (a preview, say) needs to pick and run the converter
// for an input, after the filter has made the work file.
#pragma once

#include "engine/conversion_report.h"
#include "engine/row_sink.h"
#include "platform/cstring.h"

// Converts the work file at `workPath` into rows for `sink`; the report
// says what the rows are (its kind is known before the first row).
using RowConverter = int (*)(CString workPath, CRowSink& sink, ConversionReport* report);

// The converter for `inputPath`: the one whose marker (".idf" or ".csv")
// stands last in the path, past its first character; nullptr when the path
// holds neither. A ".idf" file may still turn out to hold an impedance
// run: its header decides, and the report's kind says so.
RowConverter RowConverterFor(const CString& inputPath);
