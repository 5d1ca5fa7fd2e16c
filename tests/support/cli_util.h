// Running a program as a child process and collecting what it printed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testutil {

// What one run of a program left behind.
struct ProcessResult {
    int exitStatus = -1;  // the exit status, or 128 + signal number when killed
    std::string out;      // everything written to standard output
    std::string err;      // everything written to standard error
};

// Runs `program` with `args` in `workDir` and waits for it. Standard input is
// the null device; both output streams go to files outside `workDir`, so the folder
// holds only what the program itself wrote.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir);

}  // namespace testutil
