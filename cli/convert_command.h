// The work of quillmere-convert: files in, jobs run in batches, a status out.
#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"

// Exit statuses of the program.
inline constexpr int EXIT_ALL_RAN = 0;     // every file ran
inline constexpr int EXIT_FILE_ERROR = 1;  // a file could not be used, a file error stopped the run,
                                           // or standard output or the report could not be written
inline constexpr int EXIT_USAGE = 2;       // the command line was wrong, or two files have one output

// Converts the files of `options` (action Convert) as one run, progress
// lines on standard output, messages and errors on standard error. Returns
// EXIT_ALL_RAN, EXIT_FILE_ERROR or EXIT_USAGE (a report that would replace
// a file of the run, or colliding outputs).
int RunConversion(const ConvertOptions& options);

// The whole program for the arguments after its name: parses them, prints
// help, version or usage errors, or runs the conversion; returns the exit status.
int RunCommandLine(const std::vector<std::string>& args);
