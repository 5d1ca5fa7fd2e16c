#include "engine/preview.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "platform/file_exception.h"
#include "platform/message_box.h"

std::shared_ptr<RowColumns> CRowCollector::TakeRows()
{
    std::shared_ptr<RowColumns> rows = std::move(m_rows);
    m_rows = std::make_shared<RowColumns>();
    return rows;
}

void CRowCollector::ExpectRowsOf(const CString& inputPath)
{
    // A data line takes some 16 bytes at the least ("1.5 -2.5E-3 3\r\n").
    constexpr std::uintmax_t LEAST_LINE_BYTES = 16;
    constexpr std::uintmax_t MOST_ROWS = 1U << 26;
    std::error_code failure;
    const std::uintmax_t bytes = std::filesystem::file_size(inputPath.c_str(), failure);
    if (failure) {
        return;
    }
    const std::size_t rows = static_cast<std::size_t>(std::min(bytes / LEAST_LINE_BYTES, MOST_ROWS));
    m_rows->first.reserve(rows);
    m_rows->second.reserve(rows);
    m_rows->third.reserve(rows);
}

PreviewRows ConvertForPreview(const CString& inputPath)
{
    PreviewRows preview;
    CRowCollector collector;
    collector.ExpectRowsOf(inputPath);
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
