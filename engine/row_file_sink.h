// The sink that writes rows into an output file as text: "%f" numbers,
// separated by a comma for a sweep and a space for impedance, one line per
// row (CR LF on disk through the text-mode file).
#pragma once

#include "engine/row_sink.h"
#include "fileio/line_file.h"

class CRowFileSink : public CRowSink {
public:
    explicit CRowFileSink(CLineFile& output) : m_output(output) {}

    void Begin(RowKind kind) override;
    void Row(double first, double second, double third) override;

private:
    CLineFile& m_output;
    char m_separator = ',';
};
