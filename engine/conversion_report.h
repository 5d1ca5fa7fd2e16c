// What a converter found in its work file, for the batch to tell the user.
#pragma once

#include <cmath>

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
    // Values written as infinite or not a number that were made from finite
    // input values (by an area too small or too large for them).
    long long nonFiniteValues = 0;
    // Written values that are not zero (nor infinite nor NaN), and of them
    // those that the six-decimal form writes as 0.000000 or -0.000000 and
    // those it leaves with one or two significant digits (0.000012). The
    // scientific form loses none.
    long long nonZeroValues = 0;
    long long zeroedValues = 0;
    long long fewDigitValues = 0;
    // Why the file gave no data, in plain words; empty when it gave some.
    CString noDataReason;
};

// 1 when `written` is infinite or not a number though `from`, the value it
// was made of, is finite; 0 otherwise.
inline int MadeNonFinite(double written, double from)
{
    return !std::isfinite(written) && std::isfinite(from) ? 1 : 0;
}
