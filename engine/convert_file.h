// The per-file conversion entry.
#pragma once

#include <utility>
#include <vector>

#include "engine/conversion_report.h"
#include "engine/row_sink.h"
#include "platform/cstring.h"
#include "platform/file_status.h"

// The work file: a bare name, so it lies in the current directory.
inline constexpr const char* WORK_FILE_NAME = "123.xqrtmp";
// Path markers that choose the pipeline.
inline constexpr const char* IV_MARKER = ".idf";
inline constexpr const char* EIS_MARKER = ".csv";
// True when `marker` occurs in `path` past index 0: anywhere in the path,
// drive and folders included, but not at its very start, where no full path
// has one.
bool HasMarker(const CString& path, const char* marker);

// What became of one file.
enum class FileResult {
    converted,    // every row or announced point is in the output
    shortSweep,   // a sweep that holds fewer points than it announces
    nonFinite,    // values became infinite or not a number from finite ones
    noData,       // no marker line, no positive point count, or no "EIS" row
    notConverted  // the path has neither marker: nothing was read or written
};

// What ConvertFile did with one file.
struct FileOutcome {
    CString input;
    CString output;
    FileResult result = FileResult::notConverted;
    // IV_KIND or EIS_KIND (the pipeline that ran); empty when none ran.
    CString kind;
    // Lines written to the output.
    long long rows = 0;
    // The point count a sweep announces; -1 where none was read.
    long long announced = -1;
    // Values written as infinite or not a number that came from finite ones.
    long long nonFiniteValues = 0;
    // Plain words for everything but a full conversion; empty for that.
    CString message;
    // Written values that are not zero, and of them those written as
    // 0.000000 or -0.000000 and those left with one or two significant
    // digits (all 0 in the scientific form).
    long long nonZeroValues = 0;
    long long zeroedValues = 0;
    long long fewDigitValues = 0;
    // When more than 1% of the non-zero values were so lost, plain words
    // that count them and say how to keep them; empty otherwise. A warning
    // only: the result stays what it is.
    CString smallValuesWarning;
};

// What a converter's report means for the file: its result, kind, counts
// and message. The input and output paths are left as they are.
void TakeConversionReport(const ConversionReport& report, FileOutcome& outcome);

// Converts `inputPath` into `outputPath` with one pipeline: of the markers
// that HasMarker finds, the one that stands last in the path chooses it (so
// "run.csv/cell.idf" is a sweep and "x.idf.csv" an impedance export). The
// pipeline looks at the paths first (an input that is no regular file, an
// output or work file that is the input itself, and a work file name taken
// by a link or by a file of two names are refused as file errors), filters into the work file,
// converts into a new output that replaces the old one only when complete,
// and deletes the work file. Returns 0 and fills `outcome`; file errors pass
// on as file exceptions and leave the work file behind.
int ConvertFile(CString inputPath, CString outputPath, FileOutcome& outcome);

// The files that every input of a run names, looked at once before its
// first job. The work file may be none of them: the filter would write
// over an input that a later job has still to read.
class CRunInputs {
public:
    CRunInputs() = default;
    explicit CRunInputs(const std::vector<CString>& inputs);
    // The input that `file` is, under another name or through a link;
    // nullptr when it is none of them.
    const CString* Find(const FileStatus& file) const;

private:
    std::vector<std::pair<FileStatus, CString>> m_inputs;
};

// The same, as one job of a run whose inputs are `runInputs`: the work file
// is refused when it is any of them.
int ConvertFile(CString inputPath, CString outputPath, FileOutcome& outcome, const CRunInputs& runInputs);

// The same, for callers that need no outcome.
int ConvertFile(CString inputPath, CString outputPath);

// The rows ConvertFile would write for `inputPath`, handed to `sink`
// instead (a preview's): the same converter, the same checks of the input
// and the work file, the filter into the work file under the same lock, and
// the work file deleted at the end. No output is made; `outcome.output`
// stays empty. File errors pass on as ConvertFile's do.
int ConvertFileToRows(CString inputPath, CRowSink& sink, FileOutcome& outcome);
