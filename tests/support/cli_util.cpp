#include "support/cli_util.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

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
        std::string pattern = (fs::temp_directory_path() / "quillmere-capture-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a capture directory from " + pattern);
        }
        m_path = pattern;
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

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void ExecChild(const char* dir, const char* outPath, const char* errPath, char* const* argv)
{
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || chdir(dir) != 0 || dup2(in, STDIN_FILENO) < 0 ||
        dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) {
        _exit(126);
    }
    execv(argv[0], argv);
    _exit(127);
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir)
{
    CaptureDir capture;
    const std::string outPath = (capture.path() / "stdout").string();
    const std::string errPath = (capture.path() / "stderr").string();
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
        ExecChild(dir.c_str(), outPath.c_str(), errPath.c_str(), argv.data());
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }

    ProcessResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    return result;
}

}  // namespace testutil
