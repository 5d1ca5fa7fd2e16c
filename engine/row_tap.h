// A tap on the rows written into output files: while one is installed,
// every conversion into an output hands each row to it as well, as the
// same three values the output's text is made from. The command line's
// plots come from it, so a plot costs no second reading of the input.
#pragma once

#include "engine/row_sink.h"

// The installed tap, or nullptr.
CRowSink* InstalledRowTap();

// Installs `tap` for its lifetime and puts the previous one back.
class CScopedRowTap {
public:
    explicit CScopedRowTap(CRowSink& tap);
    ~CScopedRowTap();
    CScopedRowTap(const CScopedRowTap&) = delete;
    CScopedRowTap& operator=(const CScopedRowTap&) = delete;

private:
    CRowSink* m_previous;
};

// Hands every row to `first` and then, when there is one, to `second`.
class CTeeRowSink : public CRowSink {
public:
    CTeeRowSink(CRowSink& first, CRowSink* second) : m_first(first), m_second(second) {}
    void Begin(RowKind kind) override;
    void Row(double first, double second, double third) override;

private:
    CRowSink& m_first;
    CRowSink* m_second;
};
