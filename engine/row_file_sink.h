// The sink that writes rows into an output file as text: numbers in the
// chosen form, separated by a comma for a sweep and a space for impedance,
// one line per row (CR LF on disk through the text-mode file). It counts,
// in the report, the values that the six-decimal form loses.
#pragma once

#include "engine/conversion_report.h"
#include "engine/numbers.h"
#include "engine/row_sink.h"
#include "fileio/line_file.h"

class CRowFileSink : public CRowSink {
public:
    CRowFileSink(CLineFile& output, NumberForm form, ConversionReport& report)
        : m_output(output), m_form(form), m_report(report)
    {
    }

    void Begin(RowKind kind) override;
    void Row(double first, double second, double third) override;

private:
    // Writes `value` at `text` and counts what the written form keeps of
    // it; returns the length, or -1 when it does not fit in `capacity`.
    int Put(char* text, std::size_t capacity, double value);

    CLineFile& m_output;
    NumberForm m_form;
    ConversionReport& m_report;
    char m_separator = ',';
};

// Significant digits that a "%f" text keeps, counted from its first non-zero
// digit through the sixth decimal: 7 or more for a value of 1 or more,
// 2 for "0.000012", 0 for "0.000000" and "-0.000000".
int SignificantDigitsKept(const char* fixedText);
