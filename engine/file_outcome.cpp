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
        outcome.message = ("only " + std::to_string(report.rows) + " of the " +
                           std::to_string(report.announced) + " announced points are in the file")
                              .c_str();
    } else {
        outcome.result = FileResult::converted;
    }
}
