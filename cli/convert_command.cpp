// quillmere-convert: the dialog's batch, driven from a command line.
#include "cli/convert_command.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "batch/area.h"
#include "batch/batch_checks.h"
#include "batch/batch_run.h"
#include "batch/messages.h"
#include "batch/naming.h"
#include "cli/run_report.h"
#include "engine/settings.h"
#include "platform/file.h"
#include "platform/file_exception.h"
#include "platform/file_status.h"
#include "platform/interruption.h"
#include "platform/message_box.h"
#include "platform/os_error.h"
#include "platform/path.h"
#include "platform/std_streams.h"

namespace {

// The text the dialog writes into its area box at start-up.
constexpr const char* DEFAULT_AREA_TEXT = "1.0";

// What the command line's user can do about two files with one output,
// with --reduce-name and without it.
constexpr const char* REDUCED_COLLISION_ADVICE =
    "Leave out --reduce-name, or leave one of the files out of the command line.";
constexpr const char* COLLISION_ADVICE = "Leave one of the files out of the command line, or rename it.";

// Where the run stands, for the hooks, the message sink and the reports.
struct RunState {
    RunRecord record;
    std::size_t job = 0;  // index of the current job
    CString source;       // the current job's input path
    // Texts the converters showed for the current job, held until its
    // outcome says whether its warning line covers them.
    std::vector<CString> messages;
    // The first failed write to standard output, as an operating-system error.
    bool stdoutFailed = false;
    long stdoutError = 0;
};

void WriteLine(const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", PROGRAM_NAME, text.c_str());
}

// Messages that the dialog shows in a box go to standard error, after the
// path of the file they are about (the box's text does not name it).
void WriteMessage(const CString& source, const CString& text)
{
    std::fprintf(stderr, "%s: %s: %s", PROGRAM_NAME, source.c_str(), text.c_str());
    if (text.IsEmpty() || text[text.GetLength() - 1] != '\n') {
        std::fputc('\n', stderr);
    }
}

void WriteHeldMessages(RunState& state)
{
    for (const CString& text : state.messages) {
        WriteMessage(state.source, text);
    }
    state.messages.clear();
    std::fflush(stderr);
}

// A multi-line message of the batch, its lines ended as on this stream.
void WriteBlock(const CString& text)
{
    std::string lines = text.str();
    for (std::size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at)) {
        lines.erase(at, 1);
    }
    WriteLine(lines);
}

// What keeps `path` from being converted, in plain words; empty when it
// is a regular file that can be read. Nothing that could block is opened.
CString UnusableReason(const CString& path)
{
    FileStatus status;
    const long failure = GetFileStatus(path, true, status);
    if (failure != 0) {
        return OsErrorReason(failure);
    }
    switch (status.kind) {
        case FileKind::missing:
            return "no such file";
        case FileKind::directory:
            return "it is a folder, not a file";
        case FileKind::link:
        case FileKind::other:
            return "it is not a regular file (a pipe, device or socket)";
        case FileKind::regular:
            break;
    }
    CFile file;
    CFileException error;
    if (!file.Open(path, OPEN_READ, &error)) {
        return "it cannot be read: " + OsErrorReason(error.m_lOsError);
    }
    file.Abort();
    return CString();
}

// Marks every file that cannot be used and names it; true when all can be.
bool CheckInputs(RunRecord& record)
{
    std::size_t unusable = 0;
    for (FileRecord& file : record.files) {
        const CString reason = UnusableReason(file.input);
        if (!reason.IsEmpty()) {
            file.fate = FileFate::unusable;
            file.message = reason;
            WriteLine("cannot convert " + file.input.str() + ": " + reason.str());
            ++unusable;
        }
    }
    if (unusable == 0) {
        return true;
    }
    record.end = RunEnd::inputsUnusable;
    WriteLine("nothing was converted: " + std::to_string(unusable) + " of the " +
              std::to_string(record.files.size()) + " files cannot be used");
    return false;
}

// Fills in each file's output as this run will write it.
void PlanOutputs(RunRecord& record)
{
    for (FileRecord& file : record.files) {
        file.output = OutputPathFor(file.input, record.reduceName);
    }
}

// Different files that would write one output, named with the advice
// that fits the command line.
bool CheckCollisions(RunRecord& record)
{
    std::vector<CString> inputs;
    std::vector<CString> outputs;
    for (const FileRecord& file : record.files) {
        inputs.push_back(file.input);
        outputs.push_back(file.output);
    }
    record.collisions = FindOutputCollisions(inputs, outputs);
    if (record.collisions.empty()) {
        return true;
    }
    record.end = RunEnd::outputsCollide;
    WriteBlock(
        CollisionMessage(record.collisions, record.reduceName ? REDUCED_COLLISION_ADVICE : COLLISION_ADVICE));
    return false;
}

// A report that would replace a file of the run is refused before it starts.
bool ReportWouldReplaceAFile(const CString& reportPath, const RunRecord& record)
{
    const std::string key = PathKey(reportPath.str());
    FileStatus report;
    const bool reportExists =
        GetFileStatus(reportPath, true, report) == 0 && report.kind != FileKind::missing;
    for (const FileRecord& file : record.files) {
        if (key == PathKey(file.input.str()) || key == PathKey(file.output.str())) {
            return true;
        }
        FileStatus input;
        if (reportExists && GetFileStatus(file.input, true, input) == 0 && IsSameFile(report, input)) {
            return true;
        }
    }
    return false;
}

int ReportUsageError(const std::string& error)
{
    std::fprintf(stderr, "%s: %s\n%sTry '%s --help' for more information.\n", PROGRAM_NAME, error.c_str(),
                 USAGE_TEXT, PROGRAM_NAME);
    return EXIT_USAGE;
}

// A file error ends the run at the current job; that job and every later
// one did not run.
void ReportStop(RunState& state, const CString& reason)
{
    RunRecord& record = state.record;
    const std::size_t current = state.job;
    if (current < record.files.size()) {
        record.files[current].fate = FileFate::failed;
        record.files[current].message = reason;
    }
    record.end = RunEnd::stopped;
    record.error = reason;
    WriteHeldMessages(state);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: stopped at %s: %s\n", PROGRAM_NAME, state.source.c_str(), reason.c_str());
    std::fprintf(stderr, "%s: %zu of %zu jobs not run\n", PROGRAM_NAME, record.files.size() - current,
                 record.files.size());
}

// The job's outcome: one warning line when it is not a full conversion,
// which stands for whatever the converters said about it.
void TakeJobOutcome(RunState& state, int job, const FileOutcome& outcome)
{
    state.job = static_cast<std::size_t>(job);
    FileRecord& file = state.record.files[state.job];
    TakeOutcome(outcome, file);
    if (file.fate == FileFate::converted) {
        WriteHeldMessages(state);
        return;
    }
    state.messages.clear();
    WriteLine(file.input.str() + ": " + WarningText(file));
    std::fflush(stderr);
}

// Standard output takes the progress lines; the first failed write is kept.
void CheckStandardOutput(RunState& state)
{
    if (!state.stdoutFailed && std::ferror(stdout)) {
        state.stdoutFailed = true;
        state.stdoutError = LastRuntimeError();
    }
}

// Runs every file as one press of OK; false when a file error stopped the run.
bool RunFiles(RunState& state, bool reduceName)
{
    RunRecord& record = state.record;
    ScopedMessageBoxSink messages([&state](const CString& text, UINT) {
        state.messages.push_back(text);
        return 1;  // IDOK
    });
    // The exit status tells a script that the run is over; a bell would only be noise.
    ScopedBeepSink beep([](UINT) {});

    std::vector<BatchJob> jobs;
    for (const FileRecord& file : record.files) {
        jobs.push_back({file.input, false});
    }
    BatchHooks hooks;
    hooks.reduceName = [reduceName] { return reduceName; };
    hooks.jobStarting = [&state](int job) {
        state.job = static_cast<std::size_t>(job);
        state.source = state.record.files[state.job].input;
        state.messages.clear();
        NoteCurrentInput(state.source);
    };
    hooks.jobReported = [&state](int job, const FileOutcome& outcome) {
        TakeJobOutcome(state, job, outcome);
    };
    hooks.jobDone = [&state](int) { CheckStandardOutput(state); };
    try {
        if (!record.files.empty()) {
            state.source = record.files[0].input;
        }
        const BatchReport report = RunBatch(jobs, hooks);
        if (report.result != BatchResult::ran) {
            // Both were looked at before the run; a run that still refuses
            // is stopped like a file error.
            ReportStop(state, report.result == BatchResult::areaUnusable ? AREA_UNUSABLE_MESSAGE
                                                                         : "two files have one output");
            return false;
        }
    } catch (const CException& error) {
        ReportStop(state, error.GetErrorMessage());
        return false;
    } catch (const std::exception& error) {
        ReportStop(state, error.what());
        return false;
    }
    NoteCurrentInput(nullptr);
    return true;
}

// Writes the report when one was asked for; false when it could not be.
bool WriteReportIfAsked(const std::optional<CString>& reportPath, const RunRecord& record)
{
    if (!reportPath) {
        return true;
    }
    try {
        WriteReport(*reportPath, record);
        return true;
    } catch (const CException& error) {
        WriteLine("cannot write the report: " + error.GetErrorMessage().str());
    } catch (const std::exception& error) {
        WriteLine(std::string("cannot write the report: ") + error.what());
    }
    return false;
}

// Ends a run that got past its checks: the report, then the status.
int Finish(const std::optional<CString>& reportPath, RunRecord& record, int status)
{
    record.exitStatus = status;
    if (!WriteReportIfAsked(reportPath, record)) {
        return EXIT_FILE_ERROR;
    }
    return status;
}

// EXIT_ALL_RAN when everything written to standard output got there; else
// a message and EXIT_FILE_ERROR.
int StandardOutputStatus()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return EXIT_ALL_RAN;
    }
    WriteLine("cannot write to standard output: " + OsErrorReason(LastRuntimeError()).str());
    return EXIT_FILE_ERROR;
}

}  // namespace

int RunConversion(const ConvertOptions& options)
{
    // From here on an interruption removes what a conversion left unfinished.
    RemoveUnfinishedOnInterrupt(PROGRAM_NAME);

    std::error_code failure;
    const std::string currentDir = std::filesystem::current_path(failure).string();
    if (failure) {
        std::fprintf(stderr, "%s: cannot determine the current directory: %s\n", PROGRAM_NAME,
                     failure.message().c_str());
        return EXIT_FILE_ERROR;
    }

    ApplyAreaText(options.areaText ? options.areaText->c_str() : DEFAULT_AREA_TEXT);

    RunState state;
    RunRecord& record = state.record;
    record.areaText = options.areaText;
    record.area = g_surfaceArea;
    record.reduceName = options.reduceName;
    record.currentDirectory = currentDir;
    for (const std::string& file : options.files) {
        FileRecord entry;
        entry.input = MakeAbsolutePath(file, currentDir);
        record.files.push_back(entry);
    }
    PlanOutputs(record);

    std::optional<CString> reportPath;
    if (options.reportPath) {
        reportPath = CString(MakeAbsolutePath(*options.reportPath, currentDir));
        if (ReportWouldReplaceAFile(*reportPath, record)) {
            return ReportUsageError("the report " + reportPath->str() +
                                    " would replace one of the files of this run");
        }
    }

    if (!CheckInputs(record)) {
        return Finish(reportPath, record, EXIT_FILE_ERROR);
    }
    if (!CheckCollisions(record)) {
        return Finish(reportPath, record, EXIT_USAGE);
    }

    const bool ran = RunFiles(state, options.reduceName);
    int status = ran ? EXIT_ALL_RAN : EXIT_FILE_ERROR;
    std::fflush(stdout);
    CheckStandardOutput(state);
    if (state.stdoutFailed) {
        CString reason = "cannot write to standard output";
        if (state.stdoutError != 0) {
            reason += ": " + OsErrorReason(state.stdoutError);
        }
        WriteLine(reason.str());
        if (record.error.IsEmpty()) {
            record.error = reason;
        }
        status = EXIT_FILE_ERROR;
    }
    WriteLine(SummaryText(record));
    return Finish(reportPath, record, status);
}

int RunCommandLine(const std::vector<std::string>& args)
{
    UseBinaryStandardStreams();
    const ConvertOptions options = ParseCommandLine(args);
    switch (options.action) {
        case CliAction::Help:
            std::fputs(HELP_TEXT, stdout);
            return StandardOutputStatus();
        case CliAction::Version:
            std::printf("%s %s\n", PROGRAM_NAME, QUILLMERE_VERSION);
            return StandardOutputStatus();
        case CliAction::UsageError:
            return ReportUsageError(options.error);
        case CliAction::Convert:
            break;
    }
    return RunConversion(options);
}
