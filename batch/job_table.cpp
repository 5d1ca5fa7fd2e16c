// The batch state, constructed before the dialog exists and released at exit.
#include "batch/job_table.h"

SourceEntry g_sourceEntries[MAX_JOBS];
TargetEntry g_targetEntries[MAX_JOBS];
bool g_targetReduced[MAX_JOBS];
int g_jobCount = 0;

CString g_fileListText;

void ClearJobs()
{
    // The slots keep their strings: AddJob rewrites every string of a slot before use.
    g_jobCount = 0;
}

std::vector<BatchJob> TableJobs()
{
    std::vector<BatchJob> jobs;
    for (int job = 0; job < g_jobCount && job < MAX_JOBS; ++job) {
        jobs.push_back({g_sourceEntries[job].fullPath, g_targetReduced[job], CString()});
    }
    return jobs;
}
