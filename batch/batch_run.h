// The batch run behind OK: every job in table order through ConvertFile.
#pragma once

#include <functional>
#include <vector>

#include "batch/batch_checks.h"
#include "engine/convert_file.h"

// The progress line printed to standard output after each job.
inline constexpr const char* PROGRESS_FORMAT = "Finished Processing file: %s\r\n";

struct BatchHooks {
    // State of "Reduce File Name", read again before every job; empty means unticked.
    std::function<bool()> reduceName;
    // Called with the job index before its conversion starts (may be empty).
    std::function<void(int job)> jobStarting;
    // Called after a job's progress line was printed and flushed (may be empty).
    std::function<void(int job)> jobDone;
    // Called with what became of the job, before its progress line (may be empty).
    std::function<void(int job, const FileOutcome& outcome)> jobReported;
};

// Why a batch converted nothing at all, or that it ran.
enum class BatchResult {
    ran,             // every job ran (or a file error stopped the run)
    areaUnusable,    // the area is applied and is not a number greater than 0
    outputsCollide,  // two different inputs would write one output
};

// What a batch did: its result, the collisions that kept it from running,
// and the outcome of each job that ran, in job order.
struct BatchReport {
    BatchResult result = BatchResult::ran;
    std::vector<OutputCollision> collisions;
    std::vector<FileOutcome> outcomes;
};

// Converts jobs 0 to g_jobCount-1 in order, printing PROGRESS_FORMAT with the
// source path after each, then sounds the completion beep (MB_ICONASTERISK),
// also when there is no job. A file exception ends the run at the failing
// job: no progress line for it, no later job, no beep.
// Before the first job it makes sure the area (when applied) is usable and
// that no two different inputs would write the same output; if either
// fails, nothing is converted, the job table is left exactly as it was, and
// nothing is printed or sounded.
BatchReport RunBatch(const BatchHooks& hooks);

// Files listed in the message about files that gave no full output; the
// rest are counted.
inline constexpr std::size_t MAX_LISTED_PROBLEMS = 20;

// One message that lists the files of `outcomes` that gave no data, fewer
// points than announced, or were not converted, each with the reason;
// empty when every file converted.
CString ProblemFilesMessage(const std::vector<FileOutcome>& outcomes);
