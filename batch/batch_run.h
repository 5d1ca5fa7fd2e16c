// The batch run behind OK: every job in table order through ConvertFile.
#pragma once

#include <functional>

// The progress line printed to standard output after each job.
inline constexpr const char* PROGRESS_FORMAT = "Finished Processing file: %s\r\n";

struct BatchHooks {
    // State of "Reduce File Name", read again before every job; empty means unticked.
    std::function<bool()> reduceName;
    // Called with the job index before its conversion starts (may be empty).
    std::function<void(int job)> jobStarting;
    // Called after a job's progress line was printed and flushed (may be empty).
    std::function<void(int job)> jobDone;
};

// Converts jobs 0 to g_jobCount-1 in order, printing PROGRESS_FORMAT with the
// source path after each, then sounds the completion beep (MB_ICONASTERISK),
// also when there is no job. A file exception ends the run at the failing
// job: no progress line for it, no later job, no beep.
void RunBatch(const BatchHooks& hooks);
