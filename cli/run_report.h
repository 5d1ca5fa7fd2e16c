// What one run of quillmere-convert did, file by file: kept while it runs,
// then told as the summary line on standard error and, with --report, as a
// JSON file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch_checks.h"
#include "engine/convert_file.h"
#include "platform/cstring.h"

// What became of one file of the command line.
enum class FileFate {
    converted,     // every row or announced point is in the output
    shortSweep,    // a sweep with fewer points than it announces
    nonFinite,     // values became infinite or not a number: the output is kept
    noData,        // no data: the output is empty
    notConverted,  // neither ".idf" nor ".csv" in the path: left alone
    failed,        // a file error stopped the run here
    notRun,        // the run ended before this file
    unusable,      // missing, not a regular file, or unreadable: nothing ran
};

struct FileRecord {
    CString input;
    // The output as this run writes it ("Reduce File Name" applied).
    CString output;
    FileFate fate = FileFate::notRun;
    CString kind;  // IV_KIND, EIS_KIND, or empty when no pipeline ran
    long long rows = 0;
    long long announced = -1;  // -1 when no point count was read
    CString message;           // plain words for everything but a full conversion
    // Written values that the six-decimal form wrote as zero, and those it
    // left with one or two significant digits.
    long long zeroedValues = 0;
    long long fewDigitValues = 0;
    CString plot;  // the plot written for it (--plot); empty when none
};

// How the run as a whole ended.
enum class RunEnd {
    completed,       // every file was processed
    stopped,         // a file error stopped the run
    inputsUnusable,  // a file could not be used: nothing was converted
    outputsCollide,  // two files would write one output: nothing was converted
};

struct RunRecord {
    // The settings.
    std::optional<std::string> areaText;
    float area = 1.0f;
    bool reduceName = false;
    // --scientific: "%.6e" numbers instead of "%f" ones.
    bool scientific = false;
    bool recursive = false;
    bool plot = false;
    std::string currentDirectory;
    // The folder of --output-dir, absolute; absent: outputs beside their inputs.
    std::optional<std::string> outputDirectory;

    RunEnd end = RunEnd::completed;
    int exitStatus = 0;
    // The file error that stopped the run, or a failure of standard output.
    CString error;
    std::vector<FileRecord> files;
    std::vector<OutputCollision> collisions;
};

// The three columns of an output of each kind, as quantity / unit, in the
// words of the report and of the help.
inline constexpr const char* IV_COLUMNS[] = {
    "first value / unit as read", "-1000 * current / area / mA per area", "third value / unit as read"};
inline constexpr const char* EIS_COLUMNS[] = {"frequency / Hz", "Z' * area / ohm*area",
                                              "-Z'' * area / ohm*area"};

// The columns of an output of `kind` (IV_KIND or EIS_KIND); empty for any other.
std::vector<std::string> ColumnsOf(const CString& kind);

// Takes what ConvertFile reported about a file into its record.
void TakeOutcome(const FileOutcome& outcome, FileRecord& record);

// `value` with a comma between each group of three digits: 24,011.
std::string GroupThousands(long long value);

// True when every file was converted in full.
bool EveryFileConverted(const RunRecord& record);

// "5 files: 3 converted (24,011 rows), 1 without data, 1 not converted":
// the converted count always, every other fate only when some file has it.
std::string SummaryText(const RunRecord& record);

// The warning line's text for a file that is short, has no data or was not
// converted: "short sweep: only 3 of the 8 announced points are in the file".
std::string WarningText(const FileRecord& record);

// The report as JSON text. Text that is not valid UTF-8 (a path in a
// Windows code page, or bytes that are no character on POSIX systems) has
// each bad byte replaced by U+FFFD; paths so changed come with their exact
// bytes in hexadecimal under a second key ending in "Bytes".
std::string ReportJson(const RunRecord& record);

// Writes ReportJson to `path` under a temporary name, renamed into place
// when complete. Raises the file exception on failure.
void WriteReport(const CString& path, const RunRecord& record);
