// The batch state, constructed before the dialog exists and released at exit.
#include "batch/job_table.h"

SourceEntry g_sourceEntries[MAX_JOBS];
TargetEntry g_targetEntries[MAX_JOBS];
int g_jobCount = 0;

CString g_fileListText;

// Until the area box is first edited the area is 1.0 and not applied.
float g_surfaceArea = 1.0f;
int g_areaEnabled = 0;

void ClearJobs()
{
    // The slots keep their strings: a new job rewrites all ten before use.
    g_jobCount = 0;
}
