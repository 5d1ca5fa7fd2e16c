// The work of quillmere-convert: files in, jobs run in batches, a status out.
#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"

// Exit statuses of the program.
inline constexpr int EXIT_ALL_RAN = 0;     // every job ran
inline constexpr int EXIT_FILE_ERROR = 1;  // a file error stopped the run
inline constexpr int EXIT_USAGE = 2;       // the command line was wrong

// Converts the files of `options` (action Convert) in batches of at most
// MAX_JOBS, progress lines on standard output, messages and errors on
// standard error. Returns EXIT_ALL_RAN or EXIT_FILE_ERROR.
int RunConversion(const ConvertOptions& options);

// The whole program for the arguments after its name: parses them, prints
// help, version or usage errors, or runs the conversion; returns the exit status.
int RunCommandLine(const std::vector<std::string>& args);
