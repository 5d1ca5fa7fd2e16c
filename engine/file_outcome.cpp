// What a converter's report means for the file as the user is told it.
#include <string>

#include "engine/convert_file.h"

namespace {

// The share of a file's non-zero values, in percent, beyond which their
// loss is worth a warning: a microelectrode's currents in pA to nA lose
// nearly all, while a sweep's zero crossing loses a handful.
constexpr long long SMALL_VALUES_PERCENT = 1;

std::string Count(long long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

CString SmallValuesWarning(const ConversionReport& report)
{
    const long long lost = report.zeroedValues + report.fewDigitValues;
    if (lost * 100 <= report.nonZeroValues * SMALL_VALUES_PERCENT) {
        return CString();
    }
    const std::string text = std::to_string(report.zeroedValues) + " of its " +
                             Count(report.nonZeroValues, "non-zero value", "non-zero values") +
                             " come out as 0.000000 or -0.000000 and " +
                             std::to_string(report.fewDigitValues) +
                             " more with fewer than three significant digits; the scientific number format "
                             "keeps them (quillmere-convert --scientific, or \"Scientific number format\" in "
                             "the dialog's right-click menu)";
    return CString(text);
}

}  // namespace

void TakeConversionReport(const ConversionReport& report, FileOutcome& outcome)
{
    outcome.nonZeroValues = report.nonZeroValues;
    outcome.zeroedValues = report.zeroedValues;
    outcome.fewDigitValues = report.fewDigitValues;
    outcome.smallValuesWarning = SmallValuesWarning(report);
    outcome.kind = RowKindName(report.kind);
    outcome.rows = report.rows;
    outcome.announced = report.announced;
    outcome.message.Empty();
    outcome.nonFiniteValues = report.nonFiniteValues;
    std::string shortNote;
    if (report.announced > report.rows) {
        shortNote = "only " + std::to_string(report.rows) + " of the " + std::to_string(report.announced) +
                    " announced points are in the file";
        if (report.textLines > 0) {
            shortNote += "; " + std::to_string(report.textLines) +
                         (report.textLines == 1 ? " line" : " lines") + " within the count held no numbers";
        }
    }
    if (!report.noDataReason.IsEmpty()) {
        outcome.result = FileResult::noData;
        outcome.message = report.noDataReason;
    } else if (report.nonFiniteValues > 0) {
        // The output is kept, but it is no plain conversion: an infinity
        // is no measured value.
        outcome.result = FileResult::nonFinite;
        std::string message =
            std::to_string(report.nonFiniteValues) + (report.nonFiniteValues == 1 ? " value" : " values") +
            " became infinite or not a number from finite values in the file (the area is too "
            "small or too large for them); they are written as inf or nan";
        if (!shortNote.empty()) {
            message += "; " + shortNote;
        }
        outcome.message = message.c_str();
    } else if (!shortNote.empty()) {
        outcome.result = FileResult::shortSweep;
        outcome.message = shortNote.c_str();
    } else {
        outcome.result = FileResult::converted;
    }
}
