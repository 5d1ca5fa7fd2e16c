// Turning picked files into jobs, and the output naming rules.
#pragma once

#include <string>
#include <vector>

#include "platform/cstring.h"

// Splits a path the way the platform's path splitter does: drive ("X:" when
// the second character is a colon), directory (up to the last '\' or '/'),
// name (up to the last '.' of the rest) and extension (from that '.').
void SplitPath(const char* path, CString& drive, CString& dir, CString& name, CString& ext);

// Appends one job for `path` in slot g_jobCount with the output path
// dir + name + "+IV" + ".txt". Returns false, changing nothing, when the
// table already holds MAX_JOBS jobs.
bool AddJob(CString path);

// Adds each path in order; returns how many were refused because the table was full.
int AddJobs(const std::vector<std::string>& paths);

// Rebuilds g_fileListText: each job's source name followed by CR LF.
void RebuildFileListText();

// Shortens job `job`'s target name to what follows its last underscore and
// rebuilds the target path; no underscore, no change.
void ReduceTargetName(int job);

// `name` shortened to what follows its last underscore; unchanged without one.
CString ReducedTargetName(const CString& name);

// The output path job `job` would be written to, with "Reduce File Name"
// applied when `reduceName` is set, without changing the job table.
CString TargetPathOf(int job, bool reduceName);
