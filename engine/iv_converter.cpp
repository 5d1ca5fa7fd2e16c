// The current-voltage converter: the counted points after "primary_data".
#include "engine/iv_converter.h"

#include "batch/settings.h"
#include "engine/numbers.h"
#include "fileio/line_file.h"

namespace {

constexpr const char* DATA_MARKER = "primary_data";
// The second column is a current in A per area; the output wants -mA per area.
constexpr double CURRENT_FACTOR = -1000.0;

// The three values of a data line. They carry over: a line that supplies
// fewer numbers leaves the later ones as the previous line had them.
struct IvPoint {
    float first = 0.0f;
    float second = 0.0f;
    float third = 0.0f;
};

// Reads through the marker line, skips one line and parses the next as the
// point count; 0 when the marker or the count is missing.
int ReadPointCount(CLineFile& work)
{
    const ULONGLONG length = work.GetLength();
    CString line;
    while (work.GetPosition() < length) {
        // A work file cut short meanwhile (by a program that does not take
        // the work-file lock) ends here, instead of never reaching `length`.
        if (!work.ReadLine(line)) {
            break;
        }
        if (line.Find(DATA_MARKER) >= 0) {
            break;
        }
    }
    work.ReadLine(line);  // the line after the marker is not used
    work.ReadLine(line);
    int count = 0;
    ParseCount(line, count);
    return count;
}

// Takes the next data line into `point` and writes its output line. Past
// the end of the file the line is empty and every value carries over.
// `line` is the caller's, so its storage serves every point.
void ConvertPoint(CLineFile& work, CLineFile& output, IvPoint& point, CString& line)
{
    work.ReadLine(line);
    ParseFloatTriple(line, point.first, point.second, point.third);
    // The held value is divided, so a carried-over value is divided again.
    if (g_areaEnabled == 1) {
        point.second = point.second / g_surfaceArea;
    }
    char text[NUMBER_LINE_CAPACITY];
    FormatNumberLine(text, sizeof text, ',', point.first, static_cast<double>(point.second) * CURRENT_FACTOR,
                     point.third);
    output.WriteText(text);
}

}  // namespace

int ConvertIvFile(CString workPath, CString outputPath)
{
    CLineFile work;
    CLineFile output;
    OpenOrThrow(work, workPath, READ_TEXT);
    OpenOrThrow(output, outputPath, CREATE_TEXT);

    const int count = ReadPointCount(work);
    if (count > 0) {
        IvPoint point;
        CString line;
        for (int i = 0; i < count; ++i) {
            ConvertPoint(work, output, point, line);
        }
    }
    // Closed explicitly also without points, so a failed close is reported
    // rather than lost in a destructor.
    work.Close();
    output.Close();
    return count > 0 ? 0 : NO_POINTS;
}
