// The batch run behind OK: every job in order through ConvertFile.
#pragma once

#include <functional>
#include <vector>

#include "batch/batch_checks.h"
#include "batch/job_table.h"
#include "engine/convert_file.h"

// The progress line printed to standard output after each job.
inline constexpr const char* PROGRESS_FORMAT = "Finished Processing file: %s\r\n";

struct BatchHooks {
    // State of "Reduce File Name", read again before every job; empty means unticked.
    std::function<bool()> reduceName;
    // Called with the job index when "Reduce File Name" shortens its output
    // name, before its conversion, so the caller can keep the name short
    // (may be empty).
    std::function<void(int job)> jobReduced;
    // Called with the job index before its conversion starts (may be empty).
    std::function<void(int job)> jobStarting;
    // Called after a job's progress line was printed and flushed (may be empty).
    std::function<void(int job)> jobDone;
    // Called with what became of the job, before its progress line (may be empty).
    std::function<void(int job, const FileOutcome& outcome)> jobReported;
};

// Why a batch converted nothing at all, or that it ran.
enum class BatchResult {
    ran,             // every job ran to its end
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

// Converts `jobs` in order, each into the output the naming rule gives it,
// printing PROGRESS_FORMAT with the input path after each, then sounds the
// completion beep (MB_ICONASTERISK), also when there is no job. A file
// exception ends the run at the failing job and passes on: no progress line
// for it, no later job, no beep.
// Before the first job it makes sure the area (when applied) is usable and
// that no two different inputs would write the same output; if either
// fails, nothing is converted, no hook is called, and nothing is printed or
// sounded.
BatchReport RunBatch(const std::vector<BatchJob>& jobs, const BatchHooks& hooks);

// The dialog's run: the jobs of the table, in table order. A name that
// "Reduce File Name" shortens stays short in the table, also when the run
// stops at that job; `hooks.jobReduced` is called after that.
BatchReport RunTableBatch(BatchHooks hooks);
