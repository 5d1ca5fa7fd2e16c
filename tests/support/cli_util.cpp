#include "support/cli_util.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace testutil {

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder for the captured streams, removed again when the run is over.
class CaptureDir {
public:
    CaptureDir()
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate =
                fs::temp_directory_path() / ("quillmere-capture-" + std::to_string(random()));
            std::error_code failure;
            if (fs::create_directory(candidate, failure)) {
                m_path = candidate;
                return;
            }
        }
        throw std::runtime_error("cannot make a capture directory");
    }
    ~CaptureDir()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    CaptureDir(const CaptureDir&) = delete;
    CaptureDir& operator=(const CaptureDir&) = delete;

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

#ifdef _WIN32

// One argument as the C runtime of the child splits it back out of the
// command line: quoted when it holds blanks or quotes, with the backslashes
// before a quote doubled.
std::string QuoteArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        return arg;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char ch : arg) {
        if (ch == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(ch == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += ch;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// Points this process's descriptor `fd` at `path` while it lives; a spawned
// child inherits the redirection.
class ScopedRedirect {
public:
    ScopedRedirect(int fd, const char* path, int flags) : m_fd(fd), m_saved(_dup(fd))
    {
        const int file = _open(path, flags | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (file < 0 || _dup2(file, fd) != 0) {
            throw std::runtime_error(std::string("cannot redirect to ") + path);
        }
        _close(file);
    }
    // Points `fd` at the open descriptor `target` instead.
    ScopedRedirect(int fd, int target) : m_fd(fd), m_saved(_dup(fd))
    {
        if (_dup2(target, fd) != 0) {
            throw std::runtime_error("cannot redirect to a pipe");
        }
    }
    ~ScopedRedirect()
    {
        _dup2(m_saved, m_fd);
        _close(m_saved);
    }
    ScopedRedirect(const ScopedRedirect&) = delete;
    ScopedRedirect& operator=(const ScopedRedirect&) = delete;

private:
    int m_fd;
    int m_saved;
};

// The command line's arguments, each quoted for the child's C runtime.
std::vector<std::string> QuotedArguments(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> strings{QuoteArgument(program)};
    for (const std::string& arg : args) {
        strings.push_back(QuoteArgument(arg));
    }
    return strings;
}

std::vector<const char*> Pointers(const std::vector<std::string>& strings)
{
    std::vector<const char*> argv;
    for (const std::string& text : strings) {
        argv.push_back(text.c_str());
    }
    argv.push_back(nullptr);
    return argv;
}

int Spawn(const std::string& program, const std::vector<std::string>& args, const fs::path& workDir,
          const std::string& outPath, const std::string& errPath, StdoutTarget stdoutTarget)
{
    const std::vector<std::string> strings = QuotedArguments(program, args);
    std::vector<const char*> argv = Pointers(strings);

    std::fflush(nullptr);
    const fs::path previousDir = fs::current_path();
    fs::current_path(workDir);
    intptr_t status = -1;
    {
        ScopedRedirect in(0, "NUL", _O_RDONLY);
        const bool unwritable = stdoutTarget == StdoutTarget::unwritable;
        ScopedRedirect out(1, unwritable ? "NUL" : outPath.c_str(),
                           unwritable ? _O_RDONLY : _O_WRONLY | _O_CREAT | _O_TRUNC);
        ScopedRedirect err(2, errPath.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC);
        status = _spawnv(_P_WAIT, program.c_str(), argv.data());
    }
    fs::current_path(previousDir);
    if (status < 0) {
        throw std::runtime_error("cannot start " + program);
    }
    return static_cast<int>(status);
}

// Starts `program` with its standard output into the writing end of a new
// pipe and returns the child's handle and the reading end.
intptr_t StartIntoPipe(const std::string& program, const std::vector<std::string>& args,
                       const fs::path& workDir, const std::string& errPath, int& readEnd)
{
    const std::vector<std::string> strings = QuotedArguments(program, args);
    std::vector<const char*> argv = Pointers(strings);
    // Neither end is inherited as it is: the child gets only the copy of the
    // writing end that becomes its standard output, since a reading end in
    // the child would keep the pipe from ever breaking.
    int ends[2];
    if (_pipe(ends, 4096, _O_BINARY | _O_NOINHERIT) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    std::fflush(nullptr);
    const fs::path previousDir = fs::current_path();
    fs::current_path(workDir);
    intptr_t child = -1;
    {
        ScopedRedirect in(0, "NUL", _O_RDONLY);
        ScopedRedirect out(1, ends[1]);
        ScopedRedirect err(2, errPath.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC);
        child = _spawnv(_P_NOWAIT, program.c_str(), argv.data());
    }
    fs::current_path(previousDir);
    _close(ends[1]);
    if (child == -1) {
        _close(ends[0]);
        throw std::runtime_error("cannot start " + program);
    }
    readEnd = ends[0];
    return child;
}

int ReadOne(int fd, char& ch)
{
    return _read(fd, &ch, 1);
}

void CloseReadEnd(int fd)
{
    _close(fd);
}

int WaitFor(intptr_t child)
{
    int status = -1;
    _cwait(&status, child, 0);
    return status;
}

#else

// What a child gets besides its program and arguments.
struct ChildSetup {
    StdoutTarget stdoutTarget = StdoutTarget::captured;
    // Standard output goes into this descriptor (the writing end of a pipe) when it is not -1.
    int stdoutFd = -1;
    // The user the child runs as, when it is not -1.
    long uid = -1;
};

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void ExecChild(const char* dir, const char* outPath, const char* errPath,
                            const ChildSetup& setup, char* const* argv)
{
    const int in = open("/dev/null", O_RDONLY);
    int out = -1;
    if (setup.stdoutFd >= 0) {
        out = setup.stdoutFd;
    } else if (setup.stdoutTarget == StdoutTarget::unwritable) {
        out = open("/dev/null", O_RDONLY);
    } else if (setup.stdoutTarget == StdoutTarget::fullDevice) {
        out = open("/dev/full", O_WRONLY);
    } else {
        out = open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    const int err = open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || chdir(dir) != 0 || dup2(in, STDIN_FILENO) < 0 ||
        dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) {
        _exit(126);
    }
    if (setup.uid >= 0 && (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(setup.uid)) != 0 ||
                           setuid(static_cast<uid_t>(setup.uid)) != 0)) {
        _exit(125);
    }
    execv(argv[0], argv);
    _exit(127);
}

pid_t Start(const std::string& program, const std::vector<std::string>& args, const fs::path& workDir,
            const std::string& outPath, const std::string& errPath, const ChildSetup& setup)
{
    const std::string dir = workDir.string();
    std::vector<std::string> strings{program};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : strings) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ExecChild(dir.c_str(), outPath.c_str(), errPath.c_str(), setup, argv.data());
    }
    return pid;
}

// Waits for `pid` (without blocking when `block` is false); true when it
// has ended, with its status in `exitStatus`.
bool Reap(pid_t pid, bool block, int& exitStatus)
{
    int status = 0;
    pid_t got = 0;
    while ((got = waitpid(pid, &status, block ? 0 : WNOHANG)) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }
    if (got == 0) {
        return false;
    }
    exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

intptr_t StartIntoPipe(const std::string& program, const std::vector<std::string>& args,
                       const fs::path& workDir, const std::string& errPath, int& readEnd)
{
    // Neither end may stay open in the child past its exec: a reading end
    // there would keep the pipe from ever breaking.
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    ChildSetup setup;
    setup.stdoutFd = ends[1];
    pid_t pid = -1;
    try {
        pid = Start(program, args, workDir, "", errPath, setup);
    } catch (...) {
        close(ends[0]);
        close(ends[1]);
        throw;
    }
    close(ends[1]);
    readEnd = ends[0];
    return pid;
}

int ReadOne(int fd, char& ch)
{
    return static_cast<int>(read(fd, &ch, 1));
}

void CloseReadEnd(int fd)
{
    close(fd);
}

int WaitFor(intptr_t child)
{
    int status = -1;
    Reap(static_cast<pid_t>(child), true, status);
    return status;
}

int Spawn(const std::string& program, const std::vector<std::string>& args, const fs::path& workDir,
          const std::string& outPath, const std::string& errPath, StdoutTarget stdoutTarget)
{
    ChildSetup setup;
    setup.stdoutTarget = stdoutTarget;
    const pid_t pid = Start(program, args, workDir, outPath, errPath, setup);
    int exitStatus = -1;
    Reap(pid, true, exitStatus);
    return exitStatus;
}

#endif

}  // namespace

void SleepOneMillisecond()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir, StdoutTarget stdoutTarget)
{
    CaptureDir capture;
    const std::string outPath = (capture.path() / "stdout").string();
    const std::string errPath = (capture.path() / "stderr").string();

    ProcessResult result;
    result.exitStatus = Spawn(program, args, workDir, outPath, errPath, stdoutTarget);
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    return result;
}

ProcessResult RunReadingFirstLines(int lines, const std::string& program,
                                   const std::vector<std::string>& args, const std::filesystem::path& workDir)
{
    CaptureDir capture;
    int readEnd = -1;
    const intptr_t child =
        StartIntoPipe(program, args, workDir, (capture.path() / "stderr").string(), readEnd);
    // Read as a reader such as head does: what it wants, then it goes.
    ProcessResult result;
    char ch = 0;
    while (lines > 0 && ReadOne(readEnd, ch) == 1) {
        result.out += ch;
        if (ch == '\n') {
            --lines;
        }
    }
    CloseReadEnd(readEnd);
    result.exitStatus = WaitFor(child);
    result.err = Slurp(capture.path() / "stderr");
    return result;
}

#ifdef QUILLMERE_CONVERT_EXE

ProcessResult ConvertCliTest::Run(const std::vector<std::string>& args, StdoutTarget stdoutTarget) const
{
    return RunProcess(QUILLMERE_CONVERT_EXE, args, Dir(), stdoutTarget);
}

void ConvertCliTest::CopySample(const std::string& name) const
{
    fs::copy_file(fs::path(QUILLMERE_SOURCE_DIR) / "samples" / name, Dir() / name);
}

std::string ConvertCliTest::Progress(const std::string& name) const
{
    return "Finished Processing file: " + PathOf(name) + "\r\n";
}

std::vector<std::string> ConvertCliTest::Listing() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ErrLine(const std::string& text)
{
    return "quillmere-convert: " + text + "\n";
}

#endif

#ifndef _WIN32

struct ChildProcess::Impl {
    CaptureDir capture;
    pid_t pid = -1;
    bool ended = false;
    int exitStatus = -1;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::filesystem::path& workDir)
    : m_impl(new Impl)
{
    try {
        m_impl->pid = Start(program, args, workDir, (m_impl->capture.path() / "stdout").string(),
                            (m_impl->capture.path() / "stderr").string(), ChildSetup{});
    } catch (...) {
        delete m_impl;
        throw;
    }
}

ChildProcess::~ChildProcess()
{
    if (!m_impl->ended) {
        kill(m_impl->pid, SIGKILL);
        int ignored = 0;
        Reap(m_impl->pid, true, ignored);
    }
    delete m_impl;
}

bool ChildProcess::Running()
{
    if (!m_impl->ended) {
        m_impl->ended = Reap(m_impl->pid, false, m_impl->exitStatus);
    }
    return !m_impl->ended;
}

void ChildProcess::Signal(int signal)
{
    if (Running()) {
        kill(m_impl->pid, signal);
    }
}

ProcessResult ChildProcess::Wait()
{
    if (!m_impl->ended) {
        m_impl->ended = Reap(m_impl->pid, true, m_impl->exitStatus);
    }
    ProcessResult result;
    result.exitStatus = m_impl->exitStatus;
    result.out = Slurp(m_impl->capture.path() / "stdout");
    result.err = Slurp(m_impl->capture.path() / "stderr");
    return result;
}

ProcessResult RunProcessAs(long uid, const std::string& program, const std::vector<std::string>& args,
                           const std::filesystem::path& workDir)
{
    CaptureDir capture;
    ChildSetup setup;
    setup.uid = uid;
    const pid_t pid = Start(program, args, workDir, (capture.path() / "stdout").string(),
                            (capture.path() / "stderr").string(), setup);
    ProcessResult result;
    Reap(pid, true, result.exitStatus);
    result.out = Slurp(capture.path() / "stdout");
    result.err = Slurp(capture.path() / "stderr");
    return result;
}

#endif

}  // namespace testutil
