// Running a converter's line reading either into an output file or into any
// row sink: the work file is opened for reading in text mode; an output is
// made beside its final name and put in place only when complete.
#pragma once

#include "engine/conversion_report.h"
#include "engine/row_sink.h"
#include "fileio/line_file.h"
#include "platform/cstring.h"

// Reads the open work file and hands its rows to `sink`, filling `report`
// (which starts out empty). Returns the converter's result.
using LineConverter = int (*)(CLineFile& work, CRowSink& sink, ConversionReport& report);

// Opens the work file, then creates the output (either raises the file
// exception), converts, closes the work file and puts the complete output
// in place. `report` is the caller's, or nullptr.
int ConvertWorkIntoFile(const CString& workPath, const CString& outputPath, ConversionReport* report,
                        LineConverter convert);

// Opens the work file and converts it into `sink`; nothing is written.
int ConvertWorkIntoSink(const CString& workPath, CRowSink& sink, ConversionReport* report,
                        LineConverter convert);
