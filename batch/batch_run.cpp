// The batch run: converts every job in table order and reports each one.
#include "batch/batch_run.h"

#include <cstdio>

#include "batch/job_table.h"
#include "batch/naming.h"
#include "engine/convert_file.h"
#include "platform/message_box.h"

namespace {

// One job: optional shortening of its output name, the conversion, the progress line.
void RunJob(const BatchHooks& hooks, int job)
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
    ConvertFile(source, target);

    // Flushed at once, so the line shows while the next job is still running.
    std::printf(PROGRESS_FORMAT, source.c_str());
    std::fflush(stdout);
    if (hooks.jobDone) {
        hooks.jobDone(job);
    }
}

}  // namespace

void RunBatch(const BatchHooks& hooks)
{
    // The count is read again before every job; the bound keeps a corrupted
    // count from ever indexing past the table.
    for (int job = 0; job < g_jobCount && job < MAX_JOBS; ++job) {
        RunJob(hooks, job);
    }
    MessageBeep(MB_ICONASTERISK);
}
