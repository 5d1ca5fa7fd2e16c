// The ".idf" converter: the counted points after "primary_data", a sweep's
// or, when the header says so, an impedance run's.
#include "engine/iv_converter.h"

#include <string_view>

#include "engine/converter_files.h"
#include "engine/eis_converter.h"
#include "engine/numbers.h"
#include "engine/settings.h"
#include "fileio/line_file.h"

namespace {

constexpr const char* DATA_MARKER = "primary_data";
// The header line of an impedance run; its rows hold Z', Z'' and the frequency.
constexpr std::string_view IMPEDANCE_METHOD = "Method=Impedance";
// The second column is a current in A per area; the output wants -mA per area.
constexpr double CURRENT_FACTOR = -1000.0;

// The three values of a data line, as read. They carry over: a line that
// supplies fewer numbers leaves the later ones as the previous line had
// them, and the area is applied only to what is written, so a carried value
// comes out exactly as it did on the line before.
struct IvPoint {
    float first = 0.0f;
    float second = 0.0f;
    float third = 0.0f;
};

// What the lines up to the point count said: the count, whether the marker
// line was there at all, and whether the header named an impedance run.
struct PointCount {
    bool markerFound = false;
    bool impedance = false;
    int count = 0;
};

// True for the header line "Method=Impedance", blanks at its end ignored.
bool IsImpedanceMethod(const CString& line)
{
    std::string_view text = line.view();
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text == IMPEDANCE_METHOD;
}

// Reads through the marker line, skips one line and parses the next as the
// point count; a count of 0 when the marker or the count is missing.
PointCount ReadPointCount(CLineFile& work)
{
    const ULONGLONG length = work.GetLength();
    PointCount result;
    CString line;
    while (work.GetPosition() < length) {
        // A work file cut short meanwhile (by a program that does not take
        // the work-file lock) ends here, instead of never reaching `length`.
        if (!work.ReadLine(line)) {
            break;
        }
        if (line.Find(DATA_MARKER) >= 0) {
            result.markerFound = true;
            break;
        }
        result.impedance = result.impedance || IsImpedanceMethod(line);
    }
    work.ReadLine(line);  // the line after the marker is not used
    work.ReadLine(line);
    ParseCount(line, result.count);
    return result;
}

// What the next line within the count held.
enum class LineRead {
    point,  // at least one number: the held values, updated, make a point
    text,   // no number at all ("[Stop]", "endtime=...", blanks): no point
    end     // the work file has no line left
};

// Reads the next data line into `point`. A line of text gives no point: it
// would only repeat the last one, as if the instrument had measured it
// again. `line` is the caller's, so its storage serves every point.
LineRead ReadPoint(CLineFile& work, IvPoint& point, CString& line)
{
    if (!work.ReadLine(line)) {
        return LineRead::end;
    }
    if (ParseFloatTriple(line, point.first, point.second, point.third) == 0) {
        return LineRead::text;
    }
    return LineRead::point;
}

// Hands on the row of `point`; returns how many of its values became
// infinite or not a number from finite ones.
int WritePoint(const IvPoint& point, RowKind kind, CRowSink& sink)
{
    if (kind == RowKind::impedance) {
        // Z', Z'' and the frequency, written as the ".csv" converter writes
        // its rows.
        return HandImpedanceRow(sink, point.third, point.first, point.second);
    }
    float current = point.second;
    if (g_areaEnabled == 1) {
        current = current / g_surfaceArea;
    }
    const double written = static_cast<double>(current) * CURRENT_FACTOR;
    sink.Row(point.first, written, point.third);
    return MadeNonFinite(written, point.second);
}

void NoteNoData(const PointCount& found, ConversionReport& report)
{
    report.noDataReason = found.markerFound ? "no positive point count after the \"primary_data\" line"
                                            : "no \"primary_data\" line";
}

int ConvertIvLines(CLineFile& work, CRowSink& sink, ConversionReport& found)
{
    const PointCount count = ReadPointCount(work);
    found.kind = count.impedance ? RowKind::impedance : RowKind::currentVoltage;
    if (count.markerFound) {
        found.announced = count.count;
    }
    if (count.count <= 0) {
        NoteNoData(count, found);
        return NO_POINTS;
    }
    IvPoint point;
    CString line;
    // The count is an upper bound on the lines read, text lines included:
    // no point is made up past the end of the data.
    for (int read = 0; read < count.count; ++read) {
        const LineRead what = ReadPoint(work, point, line);
        if (what == LineRead::end) {
            break;
        }
        if (what == LineRead::text) {
            ++found.textLines;
            continue;
        }
        if (found.rows == 0) {
            sink.Begin(found.kind);
        }
        found.nonFiniteValues += WritePoint(point, found.kind, sink);
        ++found.rows;
    }
    return 0;
}

}  // namespace

int ConvertIvRows(CString workPath, CRowSink& sink, ConversionReport* report)
{
    return ConvertWorkIntoSink(workPath, sink, report, ConvertIvLines);
}

int ConvertIvFile(CString workPath, CString outputPath, ConversionReport* report)
{
    return ConvertWorkIntoFile(workPath, outputPath, report, ConvertIvLines);
}
