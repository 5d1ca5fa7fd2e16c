// The per-file conversion entry: choose the pipelines by path marker, and
// look at every path before anything is opened through it.
#include "engine/convert_file.h"

#include <new>
#include <stdexcept>
#include <string>

#include "engine/eis_converter.h"
#include "engine/filter.h"
#include "engine/iv_converter.h"
#include "engine/output_file.h"
#include "engine/row_converters.h"
#include "engine/work_lock.h"
#include "platform/file.h"
#include "platform/file_status.h"

namespace {

using Converter = int (*)(CString workPath, CString outputPath, ConversionReport* report);

// The pipelines. A path runs one of them, never both: two converters
// writing one output would leave only the second one's work, and the first
// one's data would be lost without a word.
struct Pipeline {
    const char* marker;
    const char* upperMarker;  // the same in capitals, only to explain a miss
    Converter convert;
};
constexpr Pipeline PIPELINES[] = {
    {IV_MARKER, ".IDF", ConvertIvFile},
    {EIS_MARKER, ".CSV", ConvertEisCsv},
};

// The input must be a file that can be read to its end: opening a FIFO or
// a device could wait for ever. A missing input or a folder is left to the
// filter's open, which names the reason.
FileStatus CheckInput(const CString& inputPath)
{
    const FileStatus input = StatusOrThrow(inputPath, true);
    if (input.kind == FileKind::other) {
        AfxThrowFileRefusal(CFileException::refused, inputPath,
                            "it is not a regular file (a pipe, device or socket)");
    }
    return input;
}

// Neither the output nor the work file may be the input under another name:
// writing it would destroy the data before it is read. Nor may the work
// file be any other input of the run, which a later job would then find
// overwritten, nor a file with a second name (a hard link), whose other
// name would see every write. The work file is never followed through a
// link, which would let the filter empty whatever the link points to.
// An empty `outputPath` is a conversion into memory, which writes no output.
void CheckWrittenPaths(const FileStatus& input, const CString& outputPath, const CRunInputs& runInputs)
{
    if (!outputPath.IsEmpty()) {
        const FileStatus output = StatusOrThrow(outputPath, true);
        if (IsSameFile(input, output)) {
            AfxThrowFileRefusal(CFileException::refused, outputPath,
                                "it is the input file itself, under another name or through a link");
        }
        RefuseIrreplaceableOutput(outputPath);
    }

    const FileStatus work = StatusOrThrow(WORK_FILE_NAME, false);
    if (work.kind == FileKind::link || work.kind == FileKind::other) {
        AfxThrowFileRefusal(CFileException::refused, WORK_FILE_NAME,
                            "the work file's name is taken by a link or a file that is not a regular one");
    }
    if (IsSameFile(input, work)) {
        AfxThrowFileRefusal(CFileException::refused, WORK_FILE_NAME,
                            "it is the input file itself, under another name");
    }
    if (const CString* other = runInputs.Find(work)) {
        AfxThrowFileRefusal(CFileException::refused, WORK_FILE_NAME,
                            ("it is " + other->str() + ", an input of this run, under another name").c_str());
    }
    if (work.links > 1) {
        AfxThrowFileRefusal(CFileException::refused, WORK_FILE_NAME,
                            "the work file has a second name (a hard link), so writing it would change "
                            "another file too");
    }
}

// Filters into the work file, converts it and deletes it. Nothing else is
// caught: a file error leaves the work file behind for inspection.
// `convert` takes the work file's path and the report: into the output at
// `outputPath`, or, with no output path, into rows in memory.
template <typename Convert>
void RunPipeline(const CString& inputPath, const CString& outputPath, Convert convert,
                 const CRunInputs& runInputs, ConversionReport& report)
{
    const FileStatus input = CheckInput(inputPath);
    CheckWrittenPaths(input, outputPath, runInputs);
    // Another instance in the same folder uses the same work file: it waits
    // here until this pipeline has deleted (or, on an error, left) the file.
    CWorkFileLock lock(WORK_FILE_NAME);
    // What was true before the wait may have changed during it.
    CheckWrittenPaths(input, outputPath, runInputs);
    try {
        FilterControlBytes(inputPath, WORK_FILE_NAME);
        convert(WORK_FILE_NAME, report);
    } catch (const std::bad_alloc&) {
        AfxThrowFileRefusal(CFileException::genericException, inputPath,
                            "a line is too long to hold in memory");
    } catch (const std::length_error&) {
        AfxThrowFileRefusal(CFileException::genericException, inputPath,
                            "a line is too long to hold in memory");
    }
    lock.DeleteWorkFile();
}

// Why a path with neither marker is left alone, in plain words.
CString NoMarkerReason(const CString& inputPath)
{
    for (const Pipeline& pipeline : PIPELINES) {
        if (HasMarker(inputPath, pipeline.upperMarker)) {
            CString reason;
            reason.Format(
                "the path contains \"%s\", but only \"%s\" and \"%s\" in small letters are converted",
                pipeline.upperMarker, IV_MARKER, EIS_MARKER);
            return reason;
        }
    }
    return CString("the path contains neither \".idf\" nor \".csv\"");
}

// The pipeline whose marker stands last among those that count; nullptr
// when no marker counts.
const Pipeline* PipelineFor(const CString& inputPath)
{
    const Pipeline* chosen = nullptr;
    std::size_t chosenAt = 0;
    for (const Pipeline& pipeline : PIPELINES) {
        if (!HasMarker(inputPath, pipeline.marker)) {
            continue;
        }
        const std::size_t at = inputPath.str().rfind(pipeline.marker);
        if (chosen == nullptr || at > chosenAt) {
            chosen = &pipeline;
            chosenAt = at;
        }
    }
    return chosen;
}

}  // namespace

bool HasMarker(const CString& path, const char* marker)
{
    return path.Find(marker) > 0;
}

CRunInputs::CRunInputs(const std::vector<CString>& inputs)
{
    for (const CString& input : inputs) {
        FileStatus status;
        // An input that cannot be looked at is no file the work file could be.
        if (GetFileStatus(input, true, status) == 0 && status.kind == FileKind::regular) {
            m_inputs.emplace_back(status, input);
        }
    }
}

const CString* CRunInputs::Find(const FileStatus& file) const
{
    for (const auto& [status, input] : m_inputs) {
        if (IsSameFile(status, file)) {
            return &input;
        }
    }
    return nullptr;
}

int ConvertFile(CString inputPath, CString outputPath, FileOutcome& outcome, const CRunInputs& runInputs)
{
    outcome = FileOutcome{};
    outcome.input = inputPath;
    outcome.output = outputPath;
    const Pipeline* pipeline = PipelineFor(inputPath);
    if (pipeline == nullptr) {
        outcome.result = FileResult::notConverted;
        outcome.message = NoMarkerReason(inputPath);
        return 0;
    }
    ConversionReport report;
    const auto convert = [&](const char* workPath, ConversionReport& found) {
        pipeline->convert(workPath, outputPath, &found);
    };
    RunPipeline(inputPath, outputPath, convert, runInputs, report);
    TakeConversionReport(report, outcome);
    return 0;
}

int ConvertFileToRows(CString inputPath, CRowSink& sink, FileOutcome& outcome)
{
    outcome = FileOutcome{};
    outcome.input = inputPath;
    const RowConverter converter = RowConverterFor(inputPath);
    if (converter == nullptr) {
        outcome.result = FileResult::notConverted;
        outcome.message = NoMarkerReason(inputPath);
        return 0;
    }
    ConversionReport report;
    const auto convert = [&](const char* workPath, ConversionReport& found) {
        converter(workPath, sink, &found);
    };
    RunPipeline(inputPath, CString(), convert, CRunInputs(), report);
    TakeConversionReport(report, outcome);
    return 0;
}

int ConvertFile(CString inputPath, CString outputPath, FileOutcome& outcome)
{
    return ConvertFile(std::move(inputPath), std::move(outputPath), outcome, CRunInputs());
}

int ConvertFile(CString inputPath, CString outputPath)
{
    FileOutcome outcome;
    return ConvertFile(std::move(inputPath), std::move(outputPath), outcome);
}
