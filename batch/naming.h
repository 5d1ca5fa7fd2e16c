// The output naming rule, and picked files turned into jobs.
#pragma once

#include <string>
#include <vector>

#include "batch/job_table.h"
#include "platform/cstring.h"

// Splits a path the way the platform's path splitter does: drive ("X:" when
// the second character is a colon), directory (up to the last '\' or '/'),
// name (up to the last '.' of the rest) and extension (from that '.').
void SplitPath(const char* path, CString& drive, CString& dir, CString& name, CString& ext);

// The parts of the output the naming rule gives `inputPath`: the input's
// folder and name, "+IV" and ".txt"; with `reduceName`, the name keeps only
// what follows its last underscore. A non-empty `outputFolder` takes the
// input folder's place (a separator is added when it ends without one).
// Depends on nothing but its arguments.
TargetEntry OutputEntryFor(const CString& inputPath, bool reduceName,
                           const CString& outputFolder = CString());

// The full path of that output.
CString OutputPathFor(const CString& inputPath, bool reduceName, const CString& outputFolder = CString());

// True when `inputPath`'s name ends in an underscore, so that shortening
// its output name would leave only "+IV" of it.
bool ReducesToNothing(const CString& inputPath);

// The output `job` writes: the one its caller chose, else the naming
// rule's ("Reduce File Name" applied when `reduceName` is set or the job's
// name is shortened already).
CString JobOutputPath(const BatchJob& job, bool reduceName);

// Appends one job for `path` in slot g_jobCount, its output named by the
// rule above. Returns false, changing nothing, when the table already holds
// MAX_JOBS jobs.
bool AddJob(CString path);

// Adds each path in order; returns how many were refused because the table was full.
int AddJobs(const std::vector<std::string>& paths);

// Rebuilds g_fileListText: each job's source name followed by CR LF.
void RebuildFileListText();

// Shortens job `job`'s output name to what follows its last underscore, for
// good: later runs keep writing there until the job is picked again. A name
// without an underscore is left as it is.
void ReduceTargetName(int job);

// The output path job `job` would be written to, with "Reduce File Name"
// applied when `reduceName` is set, without changing the job table.
CString TargetPathOf(int job, bool reduceName);
