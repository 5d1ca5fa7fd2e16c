// The row seam: the converters hand each output row to a sink as the three
// values they write, before any formatting. One sink formats the rows into
// the output file; others keep them in memory (for a preview, say).
#pragma once

// What the three values of a row are.
enum class RowKind {
    currentVoltage,  // first column, second column / area * -1000, third column
    impedance        // frequency, Z' * area, -Z'' * area
};

// The name of each kind in outcomes and reports.
inline constexpr const char* IV_KIND = "current-voltage";
inline constexpr const char* EIS_KIND = "impedance";

inline const char* RowKindName(RowKind kind)
{
    return kind == RowKind::impedance ? EIS_KIND : IV_KIND;
}

class CRowSink {
public:
    virtual ~CRowSink() = default;
    // Called once before the first row, with what the rows hold; not at all
    // for a file that gives no row.
    virtual void Begin(RowKind /*kind*/) {}
    // One output row, in the order of the file.
    virtual void Row(double first, double second, double third) = 0;
};
