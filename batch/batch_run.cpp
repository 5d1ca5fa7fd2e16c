// The batch run: converts every job in order and reports each one.
#include "batch/batch_run.h"

#include <cstdio>

#include "batch/naming.h"
#include "engine/settings.h"
#include "platform/message_box.h"

namespace {

// One job: optional shortening of its output name, the conversion, the progress line.
FileOutcome RunJob(const BatchHooks& hooks, const BatchJob& job, int index, const CRunInputs& runInputs)
{
    if (hooks.jobStarting) {
        hooks.jobStarting(index);
    }
    const bool reduce = hooks.reduceName && hooks.reduceName();
    if (reduce && hooks.jobReduced) {
        hooks.jobReduced(index);
    }
    FileOutcome outcome;
    ConvertFile(job.input, JobOutputPath(job, reduce), outcome, runInputs);
    if (hooks.jobReported) {
        hooks.jobReported(index, outcome);
    }

    // Flushed at once, so the line shows while the next job is still running.
    std::printf(PROGRESS_FORMAT, job.input.c_str());
    std::fflush(stdout);
    if (hooks.jobDone) {
        hooks.jobDone(index);
    }
    return outcome;
}

}  // namespace

BatchReport RunBatch(const std::vector<BatchJob>& jobs, const BatchHooks& hooks)
{
    BatchReport report;
    if (g_areaEnabled == 1 && !IsUsableArea(g_surfaceArea)) {
        report.result = BatchResult::areaUnusable;
        return report;
    }
    report.collisions = FindOutputCollisions(jobs, hooks.reduceName && hooks.reduceName());
    if (!report.collisions.empty()) {
        report.result = BatchResult::outputsCollide;
        return report;
    }
    // Every job's work file is checked against every input, so a work file
    // that is a later input stops the run before anything is written.
    std::vector<CString> inputs;
    for (const BatchJob& job : jobs) {
        inputs.push_back(job.input);
    }
    const CRunInputs runInputs(inputs);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        report.outcomes.push_back(RunJob(hooks, jobs[i], static_cast<int>(i), runInputs));
    }
    MessageBeep(MB_ICONASTERISK);
    return report;
}

BatchReport RunTableBatch(BatchHooks hooks)
{
    hooks.jobReduced = [callerHook = std::move(hooks.jobReduced)](int job) {
        ReduceTargetName(job);
        if (callerHook) {
            callerHook(job);
        }
    };
    return RunBatch(TableJobs(), hooks);
}
