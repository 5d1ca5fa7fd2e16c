#include "plot/plot_source.h"

#include "batch/batch_checks.h"
#include "batch/naming.h"
#include "engine/preview.h"
#include "engine/settings.h"

namespace {

constexpr const char* OUTPUT_EXTENSION = ".txt";
constexpr const char* PLOT_EXTENSION = ".svg";

// The area the converters apply now: 1 while they apply none.
float AppliedArea()
{
    return g_areaEnabled == 1 ? g_surfaceArea : 1.0f;
}

}  // namespace

std::string DisplayName(const CString& path)
{
    CString drive, dir, name, ext;
    SplitPath(path.c_str(), drive, dir, name, ext);
    return (name + ext).str();
}

PlotSource SourceFromConversion(const CString& inputPath, const FileOutcome& outcome, RowKind kind,
                                std::shared_ptr<const RowColumns> rows, const std::vector<CString>& messages)
{
    PlotSource source;
    source.name = DisplayName(inputPath);
    source.kind = kind == RowKind::impedance ? PlotKind::impedance : PlotKind::sweep;
    source.area = AppliedArea();
    const bool hasRows = rows != nullptr && rows->Size() > 0;
    source.rows = std::move(rows);
    if (!hasRows) {
        source.problem = outcome.message.IsEmpty() ? "the file gave no rows" : outcome.message.str();
        return source;
    }
    if (outcome.result == FileResult::shortSweep) {
        source.notes.push_back(source.name + ": short sweep: " + outcome.message.str());
    } else if (outcome.result == FileResult::nonFinite) {
        source.notes.push_back(source.name + ": " + outcome.message.str());
    }
    for (const CString& message : messages) {
        std::string text = message.str();
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        source.notes.push_back(source.name + ": " + text);
    }
    return source;
}

PlotSource PreviewSource(const CString& inputPath)
{
    if (g_areaEnabled == 1 && !IsUsableArea(g_surfaceArea)) {
        PlotSource source;
        source.name = DisplayName(inputPath);
        source.problem = AREA_UNUSABLE_MESSAGE;
        return source;
    }
    const PreviewRows preview = ConvertForPreview(inputPath);
    if (!preview.error.IsEmpty()) {
        PlotSource source;
        source.name = DisplayName(inputPath);
        source.problem = preview.error.str();
        return source;
    }
    return SourceFromConversion(inputPath, preview.outcome, preview.kind, preview.rows, preview.messages);
}

CString PlotPathFor(const CString& outputPath)
{
    std::string path = outputPath.str();
    const std::string txt = OUTPUT_EXTENSION;
    if (path.size() >= txt.size() && path.compare(path.size() - txt.size(), txt.size(), txt) == 0) {
        path.erase(path.size() - txt.size());
    }
    return (path + PLOT_EXTENSION).c_str();
}
