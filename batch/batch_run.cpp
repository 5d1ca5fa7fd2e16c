// The batch run: converts every job in table order and reports each one.
#include "batch/batch_run.h"

#include <cstdio>
#include <string>

#include "batch/job_table.h"
#include "batch/naming.h"
#include "batch/settings.h"
#include "engine/convert_file.h"
#include "platform/message_box.h"

namespace {

// One job: optional shortening of its output name, the conversion, the progress line.
FileOutcome RunJob(const BatchHooks& hooks, int job)
{
    if (hooks.jobStarting) {
        hooks.jobStarting(job);
    }
    if (hooks.reduceName && hooks.reduceName()) {
        ReduceTargetName(job);
    }
    // ConvertFile takes its own copies, so nothing it does reaches the table.
    const CString source = g_sourceEntries[job].fullPath;
    const CString target = g_targetEntries[job].fullPath;
    FileOutcome outcome;
    ConvertFile(source, target, outcome);
    if (hooks.jobReported) {
        hooks.jobReported(job, outcome);
    }

    // Flushed at once, so the line shows while the next job is still running.
    std::printf(PROGRESS_FORMAT, source.c_str());
    std::fflush(stdout);
    if (hooks.jobDone) {
        hooks.jobDone(job);
    }
    return outcome;
}

}  // namespace

BatchReport RunBatch(const BatchHooks& hooks)
{
    BatchReport report;
    if (g_areaEnabled == 1 && !IsUsableArea(g_surfaceArea)) {
        report.result = BatchResult::areaUnusable;
        return report;
    }
    report.collisions = FindOutputCollisions(hooks.reduceName && hooks.reduceName());
    if (!report.collisions.empty()) {
        report.result = BatchResult::outputsCollide;
        return report;
    }
    // The count is read again before every job; the bound keeps a corrupted
    // count from ever indexing past the table.
    for (int job = 0; job < g_jobCount && job < MAX_JOBS; ++job) {
        report.outcomes.push_back(RunJob(hooks, job));
    }
    MessageBeep(MB_ICONASTERISK);
    return report;
}

CString ProblemFilesMessage(const std::vector<FileOutcome>& outcomes)
{
    CString text;
    std::size_t problems = 0;
    for (const FileOutcome& outcome : outcomes) {
        if (outcome.result == FileResult::converted) {
            continue;
        }
        if (++problems <= MAX_LISTED_PROBLEMS) {
            CString line;
            line.Format("%s: %s\r\n", outcome.input.c_str(), outcome.message.c_str());
            text += line;
        }
    }
    if (problems == 0) {
        return text;
    }
    if (problems > MAX_LISTED_PROBLEMS) {
        text += ("... and " + std::to_string(problems - MAX_LISTED_PROBLEMS) + " more\r\n").c_str();
    }
    const std::string head = outcomes.size() == 1
                                 ? std::string("The file gave no full output:\r\n\r\n")
                                 : std::to_string(problems) + " of the " + std::to_string(outcomes.size()) +
                                       " files gave no full output:\r\n\r\n";
    return CString(head.c_str()) + text;
}
