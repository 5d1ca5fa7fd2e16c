// Running a program as a child process and collecting what it printed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_util.h"

namespace testutil {

void SleepOneMillisecond();

// What one run of a program left behind.
struct ProcessResult {
    int exitStatus = -1;  // the exit status, or 128 + signal number when killed
    std::string out;      // everything written to standard output
    std::string err;      // everything written to standard error
};

// Where the child's standard output goes.
enum class StdoutTarget {
    captured,    // a file, read back into ProcessResult::out
    unwritable,  // the null device opened for reading only: every write fails
    fullDevice   // /dev/full on POSIX systems, where every write finds no space
};

// Runs `program` with `args` in `workDir` and waits for it. Standard input is
// the null device; both output streams go to files outside `workDir`, so the folder
// holds only what the program itself wrote.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir,
                         StdoutTarget stdoutTarget = StdoutTarget::captured);

// Runs `program` with its standard output into a pipe, reads `lines` lines
// from it (into `out`) and closes the pipe, as "| head -n LINES" does, then
// waits for the child's end.
ProcessResult RunReadingFirstLines(int lines, const std::string& program,
                                   const std::vector<std::string>& args,
                                   const std::filesystem::path& workDir);

#ifdef QUILLMERE_CONVERT_EXE

// Fixture of the tests that run quillmere-convert in the test's own folder.
class ConvertCliTest : public TempDirTest {
protected:
    ProcessResult Run(const std::vector<std::string>& args,
                      StdoutTarget stdoutTarget = StdoutTarget::captured) const;
    // Copies a file of the repository's samples/ into the test's folder.
    void CopySample(const std::string& name) const;
    // The progress line of `name` in the test's folder.
    std::string Progress(const std::string& name) const;
    // Files in the test's folder, sorted, so that stray outputs show up.
    std::vector<std::string> Listing() const;
};

// "quillmere-convert: <text>\n", a line of standard error.
std::string ErrLine(const std::string& text);

#endif

#ifndef _WIN32

// A program started as a child process that the test can signal while it
// runs. Streams go where RunProcess sends them. A child still running when
// the object goes is killed and reaped.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::filesystem::path& workDir);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False once the child has ended.
    bool Running();
    // Sends `signal` to the child (nothing once it has ended).
    void Signal(int signal);
    // Waits for the child's end and collects its streams.
    ProcessResult Wait();

private:
    struct Impl;
    Impl* m_impl;
};

// RunProcess with the child running as the user `uid` (and the group of
// the same number, without supplementary groups), as a user to whom
// permissions apply when the tests run as root.
ProcessResult RunProcessAs(long uid, const std::string& program, const std::vector<std::string>& args,
                           const std::filesystem::path& workDir);

// Calls `done` every millisecond until it returns true (true) or the child
// ends (false), whichever comes first.
template <typename Predicate>
bool WaitWhileRunning(ChildProcess& child, Predicate done)
{
    while (child.Running()) {
        if (done()) {
            return true;
        }
        SleepOneMillisecond();
    }
    return false;
}

#endif

}  // namespace testutil
