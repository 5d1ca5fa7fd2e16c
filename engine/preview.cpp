#include "engine/preview.h"

#include <exception>

#include "platform/file_exception.h"
#include "platform/message_box.h"

std::shared_ptr<RowColumns> CRowCollector::TakeRows()
{
    std::shared_ptr<RowColumns> rows = std::move(m_rows);
    m_rows = std::make_shared<RowColumns>();
    return rows;
}

PreviewRows ConvertForPreview(const CString& inputPath)
{
    PreviewRows preview;
    CRowCollector collector;
    {
        ScopedMessageBoxSink messages([&preview](const CString& text, UINT) {
            preview.messages.push_back(text);
            return 1;  // IDOK
        });
        try {
            ConvertFileToRows(inputPath, collector, preview.outcome);
        } catch (const CException& error) {
            preview.error = error.GetErrorMessage();
        } catch (const std::exception& error) {
            preview.error = error.what();
        }
    }
    // The outcome's kind says which converter ran, also for a file without rows.
    preview.kind = preview.outcome.kind == EIS_KIND ? RowKind::impedance : collector.Kind();
    preview.rows = collector.TakeRows();
    return preview;
}
