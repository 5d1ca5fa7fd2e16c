// The work of quillmere-convert: files in, jobs run in batches, a status out.
#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"

// Exit statuses of the program.
inline constexpr int EXIT_CONVERTED = 0;   // every file was converted in full
inline constexpr int EXIT_FILE_ERROR = 1;  // a file could not be used, a file error stopped the run,
                                           // or standard output or the report could not be written
inline constexpr int EXIT_USAGE = 2;       // the command line was wrong, or two files have one output
inline constexpr int EXIT_INCOMPLETE = 3;  // the run went through, and some file gave no full output

// Converts the files of `options` (action Convert) as one run, progress
// lines on standard output, messages and errors on standard error. Returns
// one of the statuses above: EXIT_FILE_ERROR wins over EXIT_INCOMPLETE;
// EXIT_USAGE also stands for a report or output folder that cannot be
// used, folder arguments that give no file, and colliding outputs.
int RunConversion(const ConvertOptions& options);

// The whole program for the arguments after its name: parses them, prints
// help, version or usage errors, or runs the conversion; returns the exit status.
int RunCommandLine(const std::vector<std::string>& args);
