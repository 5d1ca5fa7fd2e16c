// What a converter's report means for the file as the user is told it.
#include <string>

#include "engine/convert_file.h"

void TakeConversionReport(const ConversionReport& report, FileOutcome& outcome)
{
    outcome.kind = RowKindName(report.kind);
    outcome.rows = report.rows;
    outcome.announced = report.announced;
    outcome.message.Empty();
    if (!report.noDataReason.IsEmpty()) {
        outcome.result = FileResult::noData;
        outcome.message = report.noDataReason;
    } else if (report.announced > report.rows) {
        outcome.result = FileResult::shortSweep;
        std::string message = "only " + std::to_string(report.rows) + " of the " +
                              std::to_string(report.announced) + " announced points are in the file";
        if (report.textLines > 0) {
            message += "; " + std::to_string(report.textLines) +
                       (report.textLines == 1 ? " line" : " lines") + " within the count held no numbers";
        }
        outcome.message = message.c_str();
    } else {
        outcome.result = FileResult::converted;
    }
}
