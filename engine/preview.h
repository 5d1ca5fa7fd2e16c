// A conversion for a look at the data: the same pipeline as ConvertFile,
// with the rows kept in memory instead of written. No file is left behind
// but what a conversion leaves (the work file after a file error), and no
// message box is shown: what the converter would have shown comes back
// with the rows.
#pragma once

#include <memory>
#include <vector>

#include "engine/convert_file.h"
#include "engine/row_columns.h"
#include "engine/row_sink.h"
#include "platform/cstring.h"

// Keeps every row it is given, and the kind of the rows.
class CRowCollector : public CRowSink {
public:
    CRowCollector() : m_rows(std::make_shared<RowColumns>()) {}
    void Begin(RowKind kind) override { m_kind = kind; }
    void Row(double first, double second, double third) override { m_rows->Add(first, second, third); }

    RowKind Kind() const { return m_kind; }
    // Makes room for the rows a file of `inputPath`'s size most likely
    // holds, so a long file is not copied over and over as it grows.
    // Room not filled is never touched, and costs no memory.
    void ExpectRowsOf(const CString& inputPath);
    // The rows so far; the collector starts afresh after this.
    std::shared_ptr<RowColumns> TakeRows();

private:
    RowKind m_kind = RowKind::currentVoltage;
    std::shared_ptr<RowColumns> m_rows;
};

struct PreviewRows {
    // What the conversion found, as a batch would report it.
    FileOutcome outcome;
    RowKind kind = RowKind::currentVoltage;
    std::shared_ptr<RowColumns> rows;  // never null; empty without data
    // The texts the converter would have shown in message boxes.
    std::vector<CString> messages;
    // The file error that stopped the conversion; empty when none did.
    CString error;
};

// Converts `inputPath` into memory with the current conversion settings.
// File errors are caught and returned in `error`.
PreviewRows ConvertForPreview(const CString& inputPath);
