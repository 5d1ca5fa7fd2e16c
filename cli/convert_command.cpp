// quillmere-convert: the dialog's batch, driven from a command line.
#include "cli/convert_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "batch/area.h"
#include "batch/batch_run.h"
#include "batch/job_table.h"
#include "batch/naming.h"
#include "platform/file_exception.h"
#include "platform/message_box.h"
#include "platform/path.h"
#include "platform/std_streams.h"

namespace {

// The text the dialog writes into its area box at start-up.
constexpr const char* DEFAULT_AREA_TEXT = "1.0";

// Where the run stands, for the message sink and the error report.
struct RunState {
    std::size_t total = 0;       // jobs asked for
    std::size_t batchStart = 0;  // index of the current batch's first job
    int job = 0;                 // the current job within its batch
    CString source;              // the current job's input path
};

// Messages that the dialog shows in a box go to standard error, after the
// path of the file they are about (the box's text does not name it).
int WriteMessage(const RunState& state, const CString& text)
{
    std::fprintf(stderr, "%s: %s: %s", PROGRAM_NAME, state.source.c_str(), text.c_str());
    if (text.IsEmpty() || text[text.GetLength() - 1] != '\n') {
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
    return 1;  // IDOK
}

// A file error ends the run at the current job; that job and every later
// one, in this batch and in the batches still to come, did not run.
int ReportStop(const RunState& state, const char* reason)
{
    const std::size_t notRun = state.total - (state.batchStart + static_cast<std::size_t>(state.job));
    std::fflush(stdout);
    std::fprintf(stderr, "%s: stopped at %s: %s\n", PROGRAM_NAME, state.source.c_str(), reason);
    std::fprintf(stderr, "%s: %zu of %zu jobs not run\n", PROGRAM_NAME, notRun, state.total);
    return EXIT_FILE_ERROR;
}

int ReportUsageError(const std::string& error)
{
    std::fprintf(stderr, "%s: %s\n%sTry '%s --help' for more information.\n", PROGRAM_NAME, error.c_str(),
                 USAGE_TEXT, PROGRAM_NAME);
    return EXIT_USAGE;
}

// Runs the jobs from `first` on, at most MAX_JOBS of them, as one press of OK.
void RunOneBatch(const std::vector<std::string>& paths, std::size_t first, const BatchHooks& hooks)
{
    const std::size_t end = std::min(paths.size(), first + static_cast<std::size_t>(MAX_JOBS));
    ClearJobs();
    AddJobs(std::vector<std::string>(paths.begin() + static_cast<std::ptrdiff_t>(first),
                                     paths.begin() + static_cast<std::ptrdiff_t>(end)));
    RunBatch(hooks);
}

}  // namespace

int RunConversion(const ConvertOptions& options)
{
    std::error_code failure;
    const std::string currentDir = std::filesystem::current_path(failure).string();
    if (failure) {
        std::fprintf(stderr, "%s: cannot determine the current directory: %s\n", PROGRAM_NAME,
                     failure.message().c_str());
        return EXIT_FILE_ERROR;
    }
    std::vector<std::string> paths;
    for (const std::string& file : options.files) {
        paths.push_back(MakeAbsolutePath(file, currentDir));
    }

    ApplyAreaText(options.areaText ? options.areaText->c_str() : DEFAULT_AREA_TEXT);

    RunState state;
    state.total = paths.size();
    ScopedMessageBoxSink messages([&state](const CString& text, UINT) { return WriteMessage(state, text); });
    // The exit status tells a script that the run is over; a bell per batch would only be noise.
    ScopedBeepSink beep([](UINT) {});

    BatchHooks hooks;
    hooks.reduceName = [&options] { return options.reduceName; };
    hooks.jobStarting = [&state](int job) {
        state.job = job;
        state.source = g_sourceEntries[job].fullPath;
    };
    try {
        for (std::size_t first = 0; first < paths.size(); first += MAX_JOBS) {
            state.batchStart = first;
            state.job = 0;
            state.source = paths[first].c_str();
            RunOneBatch(paths, first, hooks);
        }
    } catch (const CException& error) {
        return ReportStop(state, error.GetErrorMessage().c_str());
    } catch (const std::exception& error) {
        return ReportStop(state, error.what());
    }
    return EXIT_ALL_RAN;
}

int RunCommandLine(const std::vector<std::string>& args)
{
    UseBinaryStandardStreams();
    const ConvertOptions options = ParseCommandLine(args);
    switch (options.action) {
        case CliAction::Help:
            std::fputs(HELP_TEXT, stdout);
            return EXIT_ALL_RAN;
        case CliAction::Version:
            std::printf("%s %s\n", PROGRAM_NAME, QUILLMERE_VERSION);
            return EXIT_ALL_RAN;
        case CliAction::UsageError:
            return ReportUsageError(options.error);
        case CliAction::Convert:
            break;
    }
    return RunConversion(options);
}
