// The per-file conversion entry.
#pragma once

#include "platform/cstring.h"

// The work file: a bare name, so it lies in the current directory.
inline constexpr const char* WORK_FILE_NAME = "123.xqrtmp";
// Path markers that choose the pipeline.
inline constexpr const char* IV_MARKER = ".idf";
inline constexpr const char* EIS_MARKER = ".csv";

// Converts `inputPath` into `outputPath`: the current-voltage pipeline when
// ".idf" occurs in the path past index 0, then the impedance pipeline when
// ".csv" does. Each pipeline filters into the work file, converts, and
// deletes the work file. Returns 0; file errors pass on as file exceptions
// and leave the work file behind.
int ConvertFile(CString inputPath, CString outputPath);
