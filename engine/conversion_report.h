// What a converter found in its work file, for the batch to tell the user.
#pragma once

#include "engine/row_sink.h"
#include "platform/cstring.h"

struct ConversionReport {
    // What the rows hold. Known before any row: from the path's marker and,
    // for a ".idf" file, from its header.
    RowKind kind = RowKind::currentVoltage;
    // Lines written to the output.
    long long rows = 0;
    // The point count a sweep announces; -1 where none was read.
    long long announced = -1;
    // Lines within a sweep's count that held no number at all and so gave
    // no point.
    long long textLines = 0;
    // Why the file gave no data, in plain words; empty when it gave some.
    CString noDataReason;
};
