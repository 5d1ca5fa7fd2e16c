// What a converter's report means for the file as the user is told it.
#include <string>

#include "engine/convert_file.h"

void TakeConversionReport(const ConversionReport& report, FileOutcome& outcome)
{
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
