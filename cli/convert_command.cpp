// quillmere-convert: the dialog's batch, driven from a command line.
#include "cli/convert_command.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "batch/area.h"
#include "batch/batch_checks.h"
#include "batch/batch_run.h"
#include "batch/dropped_files.h"
#include "batch/messages.h"
#include "batch/naming.h"
#include "cli/run_report.h"
#include "engine/preview.h"
#include "engine/row_tap.h"
#include "engine/settings.h"
#include "platform/file.h"
#include "platform/file_exception.h"
#include "platform/file_status.h"
#include "platform/interruption.h"
#include "platform/message_box.h"
#include "platform/os_error.h"
#include "platform/path.h"
#include "platform/path_join.h"
#include "platform/std_streams.h"
#include "plot/plot_scene.h"
#include "plot/plot_source.h"
#include "plot/svg_writer.h"

namespace {

// The text the dialog writes into its area box at start-up.
constexpr const char* DEFAULT_AREA_TEXT = "1.0";

// What the command line's user can do about two files with one output,
// by the options that can bring outputs together.
constexpr const char* REDUCED_COLLISION_ADVICE =
    "Leave out --reduce-name, or leave one of the files out of the command line.";
constexpr const char* FOLDER_COLLISION_ADVICE =
    "Leave out --output-dir, or leave one of the files out of the command line.";
constexpr const char* BOTH_COLLISION_ADVICE =
    "Leave out --reduce-name or --output-dir, or leave one of the files out of the command line.";
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
    // With --plot: the rows of the current job, as its output is written.
    CRowCollector rows;
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

// Fills in each file's output as this run will write it. A name that
// --reduce-name would cut down to "+IV" alone keeps its full name, and a
// note says so: such outputs would tell nothing of their inputs.
void PlanOutputs(RunRecord& record)
{
    const CString folder(record.outputDirectory.value_or(std::string()));
    for (FileRecord& file : record.files) {
        const bool keepFullName = record.reduceName && ReducesToNothing(file.input);
        const TargetEntry target = OutputEntryFor(file.input, record.reduceName && !keepFullName, folder);
        file.output = target.fullPath;
        if (keepFullName) {
            WriteLine(file.input.str() + ": --reduce-name keeps the full name " + target.name.str() +
                      target.ext.str() + ", as nothing follows the last underscore");
        }
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
    const bool folder = record.outputDirectory.has_value();
    const char* advice = record.reduceName ? (folder ? BOTH_COLLISION_ADVICE : REDUCED_COLLISION_ADVICE)
                                           : (folder ? FOLDER_COLLISION_ADVICE : COLLISION_ADVICE);
    WriteBlock(CollisionMessage(record.collisions, advice));
    return false;
}

// What keeps `folder` from taking the outputs, in plain words; empty when
// it is a folder.
std::string OutputFolderProblem(const std::string& folder)
{
    FileStatus status;
    const long failure = GetFileStatus(folder.c_str(), true, status);
    if (failure != 0) {
        return "cannot use the output folder " + folder + ": " + OsErrorReason(failure).str();
    }
    if (status.kind == FileKind::missing) {
        return "the output folder " + folder + " does not exist";
    }
    if (status.kind != FileKind::directory) {
        return "the output folder " + folder + " is not a folder";
    }
    return std::string();
}

// Why the report cannot be written where it is asked for, in plain words;
// empty when it can. Looked at before anything is converted, so that a
// report that would replace a file of the run, or could never be written,
// costs no conversion.
std::string ReportProblem(const CString& reportPath, const RunRecord& record, const CString& workFile)
{
    const std::string report = reportPath.str();
    FileStatus status;
    const long failure = GetFileStatus(reportPath, true, status);
    if (failure != 0) {
        return "cannot use the report " + report + ": " + OsErrorReason(failure).str();
    }
    if (status.kind == FileKind::directory) {
        return "the report " + report + " is a folder";
    }
    if (status.kind == FileKind::other) {
        return "the report " + report + " is not a regular file (a pipe, device or socket)";
    }
    const std::string folder = ContainingFolder(report);
    FileStatus folderStatus;
    if (GetFileStatus(folder.c_str(), true, folderStatus) != 0 || folderStatus.kind != FileKind::directory) {
        return "the report " + report + " cannot be written: the folder " + folder + " does not exist";
    }
    const FileName name = LookAtName(reportPath);
    for (const FileRecord& file : record.files) {
        if (SameFile(name, LookAtName(file.input))) {
            return "the report " + report + " would replace the input " + file.input.str();
        }
        if (SameFile(name, LookAtName(file.output))) {
            return "the report " + report + " would replace the output " + file.output.str();
        }
    }
    if (SameFile(name, LookAtName(workFile))) {
        return "the report " + report + " would replace the work file " + workFile.str();
    }
    if (record.plot) {
        for (const FileRecord& file : record.files) {
            const CString plot = PlotPathFor(file.output);
            if (SameFile(name, LookAtName(plot))) {
                return "the report " + report + " would replace the plot " + plot.str();
            }
        }
    }
    return std::string();
}

// A plot that would replace an input of the run, in plain words; empty when
// none would. An input's name can end in "+IV.svg" and still hold a marker
// in its folder's name.
std::string PlotProblem(const RunRecord& record)
{
    if (!record.plot) {
        return std::string();
    }
    for (const FileRecord& file : record.files) {
        const CString plot = PlotPathFor(file.output);
        const FileName name = LookAtName(plot);
        for (const FileRecord& other : record.files) {
            if (SameFile(name, LookAtName(other.input))) {
                return "the plot " + plot.str() + " would replace the input " + other.input.str();
            }
        }
    }
    return std::string();
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
    // The failed file is counted as failed, as in the summary and the report;
    // only the files after it did not run.
    const std::size_t notRun = record.files.size() - std::min(current + 1, record.files.size());
    if (notRun > 0) {
        WriteLine(GroupThousands(static_cast<long long>(notRun)) + " of " +
                  GroupThousands(static_cast<long long>(record.files.size())) + " files not run");
    }
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
    } else {
        state.messages.clear();
        WriteLine(file.input.str() + ": " + WarningText(file));
    }
    // Lost small values are worth a word whatever else became of the file.
    if (!outcome.smallValuesWarning.IsEmpty()) {
        WriteLine(file.input.str() + ": small values: " + outcome.smallValuesWarning.str());
    }
    std::fflush(stderr);
}

// With --plot, the plot of the job's output from the rows written into it,
// beside it; a file that gave no rows gets none, and a line says so.
void WritePlot(RunState& state, int job, const FileOutcome& outcome, const std::vector<CString>& messages)
{
    FileRecord& file = state.record.files[static_cast<std::size_t>(job)];
    const std::shared_ptr<RowColumns> rows = state.rows.TakeRows();
    if (rows->Size() == 0) {
        WriteLine(file.input.str() + (outcome.result == FileResult::notConverted
                                          ? ": no plot, as the file was not converted"
                                          : ": no plot, as the file gave no data"));
        return;
    }
    const PlotSource source = SourceFromConversion(file.input, outcome, state.rows.Kind(), rows, messages);
    const CString plot = PlotPathFor(file.output);
    WriteSvgFile(plot, LayoutFigure(BuildFigure({source}), SVG_WIDTH, SVG_HEIGHT));
    file.plot = plot;
}

// Standard output takes the progress lines; the first failed write is kept.
void CheckStandardOutput(RunState& state)
{
    if (!state.stdoutFailed && std::ferror(stdout)) {
        state.stdoutFailed = true;
        state.stdoutError = LastRuntimeError();
    }
}

// Runs every file as one press of OK, each into the output planned for it;
// false when a file error stopped the run.
bool RunFiles(RunState& state)
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
        jobs.push_back({file.input, false, file.output});
    }
    BatchHooks hooks;
    // The rows of every output pass by the plot on their way into the file.
    std::optional<CScopedRowTap> tap;
    if (record.plot) {
        tap.emplace(state.rows);
    }
    hooks.jobStarting = [&state](int job) {
        state.job = static_cast<std::size_t>(job);
        state.source = state.record.files[state.job].input;
        state.messages.clear();
        if (state.record.plot) {
            state.rows.TakeRows();
            state.rows.ExpectRowsOf(state.source);
        }
        NoteCurrentInput(state.source);
    };
    hooks.jobReported = [&state](int job, const FileOutcome& outcome) {
        const std::vector<CString> messages = state.messages;
        TakeJobOutcome(state, job, outcome);
        if (state.record.plot) {
            WritePlot(state, job, outcome, messages);
        }
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

// EXIT_CONVERTED when everything written to standard output got there;
// else a message and EXIT_FILE_ERROR.
int StandardOutputStatus()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return EXIT_CONVERTED;
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

    // Folder arguments give their data files by the rule of a folder dropped
    // on the dialog; a folder that gives none is named.
    std::vector<std::string> arguments;
    for (const std::string& file : options.files) {
        arguments.push_back(MakeAbsolutePath(file, currentDir));
    }
    const DroppedFiles expanded = ExpandDroppedPaths(arguments, options.recursive);
    if (!expanded.skippedFolders.empty()) {
        WriteBlock(SkippedFoldersMessage(expanded.skippedFolders));
    }
    if (expanded.jobPaths.empty()) {
        return ReportUsageError("no files to convert");
    }

    RunState state;
    RunRecord& record = state.record;
    if (options.outputDir) {
        record.outputDirectory = MakeAbsolutePath(*options.outputDir, currentDir);
        const std::string problem = OutputFolderProblem(*record.outputDirectory);
        if (!problem.empty()) {
            return ReportUsageError(problem);
        }
    }

    ApplyAreaText(options.areaText ? options.areaText->c_str() : DEFAULT_AREA_TEXT);
    record.areaText = options.areaText;
    record.area = g_surfaceArea;
    record.reduceName = options.reduceName;
    record.recursive = options.recursive;
    record.plot = options.plot;
    g_scientificFormat = options.scientific;
    record.scientific = options.scientific;
    record.currentDirectory = currentDir;
    for (const std::string& path : expanded.jobPaths) {
        FileRecord entry;
        entry.input = path;
        record.files.push_back(entry);
    }
    PlanOutputs(record);

    // The work file lies in the folder the run works in.
    const std::string workFolder = record.outputDirectory.value_or(currentDir);
    std::optional<CString> reportPath;
    if (options.reportPath) {
        reportPath = CString(MakeAbsolutePath(*options.reportPath, currentDir));
        const std::string problem =
            ReportProblem(*reportPath, record, CString(JoinToFolder(workFolder, WORK_FILE_NAME)));
        if (!problem.empty()) {
            return ReportUsageError(problem);
        }
    }

    const std::string plotProblem = PlotProblem(record);
    if (!plotProblem.empty()) {
        return ReportUsageError(plotProblem);
    }

    if (!CheckInputs(record)) {
        return Finish(reportPath, record, EXIT_FILE_ERROR);
    }
    if (!CheckCollisions(record)) {
        return Finish(reportPath, record, EXIT_USAGE);
    }

    bool ran = false;
    if (record.outputDirectory) {
        // Every path is absolute by now; only the work file follows the move.
        const long moved = ChangeCurrentDirectory(*record.outputDirectory);
        if (moved != 0) {
            state.source = record.files[0].input;
            ReportStop(state, ("cannot work in the output folder " + *record.outputDirectory + ": ").c_str() +
                                  OsErrorReason(moved));
        } else {
            ran = RunFiles(state);
            ChangeCurrentDirectory(currentDir);
        }
    } else {
        ran = RunFiles(state);
    }

    int status = !ran ? EXIT_FILE_ERROR : EveryFileConverted(record) ? EXIT_CONVERTED : EXIT_INCOMPLETE;
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
    std::string summary = SummaryText(record);
    if (record.plot) {
        const long long plots = std::count_if(record.files.begin(), record.files.end(),
                                              [](const FileRecord& file) { return !file.plot.IsEmpty(); });
        summary += "; " + GroupThousands(plots) + (plots == 1 ? " plot" : " plots");
    }
    WriteLine(summary);
    return Finish(reportPath, record, status);
}

int RunCommandLine(const std::vector<std::string>& args)
{
    UseBinaryStandardStreams();
    // A reader of standard output that goes away (a pipe into head) makes
    // writes fail instead of ending the program: every file is still
    // converted, the summary and report written, and the status says so.
    KeepRunningWhenOutputCloses();
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
