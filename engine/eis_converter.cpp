// The impedance converter: one output line per "EIS" row of the export.
#include "engine/eis_converter.h"

#include "engine/converter_files.h"
#include "engine/field_splitter.h"
#include "engine/numbers.h"
#include "engine/settings.h"
#include "fileio/line_file.h"
#include "platform/message_box.h"

namespace {

constexpr char DELIMITER = ',';
constexpr const char* ROW_MARKER = "EIS";

// The row fields: at most eleven are cut, four are used.
constexpr int FIELD_CAPACITY = 11;
constexpr int FIELD_MARKER = 2;
constexpr int FIELD_FREQUENCY = 6;
constexpr int FIELD_REAL = 9;
constexpr int FIELD_IMAGINARY = 10;

// The values of a row, as read. They carry over: a field that does not
// parse leaves the value of the row before, and the area is applied only to
// what is written, so a carried value comes out exactly as it did before.
struct EisPoint {
    float frequency = 0.0f;
    float real = 0.0f;
    float imaginary = 0.0f;
};

// Cuts one row into `fields`; false when field 2 lacks the "EIS" marker.
bool SplitRow(CFieldSplitter& splitter, const CString& line, CString (&fields)[FIELD_CAPACITY])
{
    // Split leaves the fields a short row does not reach as they were, and
    // a missing field must read as empty, not as the row before's.
    for (CString& field : fields) {
        field.Empty();
    }
    splitter.Split(line, DELIMITER, fields, FIELD_CAPACITY);
    return fields[FIELD_MARKER].Find(ROW_MARKER) >= 0;
}

// Takes the numbers of one accepted row into `point` and hands its row to `sink`.
// Returns how many of the row's values became infinite or not a number.
int ConvertRow(const CString (&fields)[FIELD_CAPACITY], CRowSink& sink, EisPoint& point)
{
    ParseFloat(fields[FIELD_FREQUENCY], point.frequency);
    ParseFloat(fields[FIELD_REAL], point.real);
    ParseFloat(fields[FIELD_IMAGINARY], point.imaginary);
    return HandImpedanceRow(sink, point.frequency, point.real, point.imaginary);
}

int ConvertEisLines(CLineFile& work, CRowSink& sink, ConversionReport& found)
{
    found.kind = RowKind::impedance;
    const ULONGLONG length = work.GetLength();
    CString line;
    work.ReadLine(line);  // the column header
    CFieldSplitter splitter;
    CString fields[FIELD_CAPACITY];
    EisPoint point;
    found.noDataReason = "no rows after the header line";
    while (work.GetPosition() < length) {
        work.ReadLine(line);
        if (!SplitRow(splitter, line, fields)) {
            // The first row that is not impedance data ends the file: the
            // rest would be another kind of export.
            AfxMessageBox(EIS_MISSING_MESSAGE, 0, 0);
            found.noDataReason = "no \"EIS\" row";
            break;
        }
        if (found.rows == 0) {
            sink.Begin(found.kind);
        }
        found.nonFiniteValues += ConvertRow(fields, sink, point);
        ++found.rows;
    }
    if (found.rows > 0) {
        found.noDataReason.Empty();
    }
    return 0;
}

}  // namespace

int HandImpedanceRow(CRowSink& sink, float frequency, float real, float imaginary)
{
    float scaledReal = real;
    float scaledImaginary = imaginary;
    if (g_areaEnabled == 1) {
        scaledReal = real * g_surfaceArea;
        scaledImaginary = imaginary * g_surfaceArea;
    }
    // A multiplication, not a negation by subtraction: 0 is written as -0.000000.
    const double negated = static_cast<double>(scaledImaginary) * -1.0;
    sink.Row(frequency, scaledReal, negated);
    return MadeNonFinite(scaledReal, real) + MadeNonFinite(negated, imaginary);
}

int ConvertEisRows(CString workPath, CRowSink& sink, ConversionReport* report)
{
    return ConvertWorkIntoSink(workPath, sink, report, ConvertEisLines);
}

int ConvertEisCsv(CString workPath, CString outputPath, ConversionReport* report)
{
    return ConvertWorkIntoFile(workPath, outputPath, report, ConvertEisLines);
}
