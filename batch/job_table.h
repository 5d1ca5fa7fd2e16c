// The job table and the file-list text: what the dialog's list holds.
// Process-wide, alive from static construction to exit.
#pragma once

#include <vector>

#include "platform/cstring.h"

inline constexpr int MAX_JOBS = 1000;

// The parts of one path. The source and target entries of a job share this shape.
struct PathEntry {
    CString fullPath;
    CString name;  // file name without directory and extension
    CString ext;   // extension with its dot, or empty
    CString dir;   // fullPath less name and ext: drive, directory, separator
};
using SourceEntry = PathEntry;
using TargetEntry = PathEntry;

// The job table: parallel arrays and a count; slot i of each is job i.
extern SourceEntry g_sourceEntries[MAX_JOBS];
extern TargetEntry g_targetEntries[MAX_JOBS];
// Jobs whose output name a run with "Reduce File Name" shortened; it stays
// short in later runs, ticked or not.
extern bool g_targetReduced[MAX_JOBS];
extern int g_jobCount;

// The text last built for the file-list box.
extern CString g_fileListText;

// Sets the job count to 0; the slots keep their old strings until reused.
void ClearJobs();

// One job of a batch run: an input, and whether its output name is already
// shortened, or the output its caller chose for it.
struct BatchJob {
    CString input;
    bool reduced = false;
    // The output, when the caller worked it out itself; empty: the naming rule's.
    CString output;
};

// The jobs of the table, in order, for a run.
std::vector<BatchJob> TableJobs();
