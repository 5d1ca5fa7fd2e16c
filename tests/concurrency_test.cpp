// Two instances converting in one folder share the work file's name: the
// work-file lock makes the second wait its turn, and every output stays exact.
#include <gtest/gtest.h>

#ifndef _WIN32

#include "engine/work_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/convert_file.h"
#include "platform/file_exception.h"
#include "platform/sysio.h"
#include "support/robust_util.h"
#include "support/test_util.h"

namespace {

using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

// Big enough that each pipeline takes a few milliseconds, so the two
// instances overlap in nearly every round.
constexpr int POINTS = 4000;
constexpr int ROUNDS = 30;
constexpr auto WAIT_LIMIT = std::chrono::seconds(10);

std::string IvInput()
{
    return testutil::IvInput(POINTS);
}

std::string EisInput()
{
    return testutil::EisInput(POINTS);
}

// A pipe the tests use to pass single bytes between parent and child.
class CPipe {
public:
    CPipe()
    {
        if (pipe(m_fds) != 0) throw std::runtime_error("pipe failed");
    }
    ~CPipe()
    {
        close(m_fds[0]);
        close(m_fds[1]);
    }
    CPipe(const CPipe&) = delete;
    CPipe& operator=(const CPipe&) = delete;

    void Send(char byte) const { (void)!write(m_fds[1], &byte, 1); }

    // The next byte, or nothing when none came within `limit`.
    std::optional<char> Receive(std::chrono::milliseconds limit) const
    {
        pollfd entry{m_fds[0], POLLIN, 0};
        if (poll(&entry, 1, static_cast<int>(limit.count())) != 1) return std::nullopt;
        char byte = 0;
        if (read(m_fds[0], &byte, 1) != 1) return std::nullopt;
        return byte;
    }

private:
    int m_fds[2] = {-1, -1};
};

// Runs `body` in a child process; its result is the child's exit status.
template <typename Body>
pid_t Spawn(Body body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        int status = 1;
        try {
            status = body();
        } catch (...) {
            status = 2;
        }
        _exit(status);
    }
    return pid;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// True once /proc/locks shows `pid` waiting for a lock.
bool IsWaitingForLock(pid_t pid)
{
    const std::string needle = " " + std::to_string(pid) + " ";
    const auto deadline = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            if (line.find("->") != std::string::npos && line.find(needle) != std::string::npos) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// True when some other open file holds a lock on the file that `path` names now.
bool IsLockedByAnother(const char* path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return locked;
}

class ConcurrencyTest : public testutil::TempDirTest {
protected:
    testutil::ScopedAreaSettings m_area{0.5f, 1};
};

// ---- many rounds, two processes ---------------------------------------

TEST_F(ConcurrencyTest, TwoProcessesInOneFolderWriteByteExactOutputs)
{
    struct Job {
        const char* input;
        std::string content;
        std::string expected;
    };
    std::vector<Job> jobs = {{"sweep.idf", IvInput(), ""}, {"spectrum.csv", EisInput(), ""}};
    for (Job& job : jobs) {
        WriteFileBytes(job.input, job.content);
        ConvertFile(PathOf(job.input).c_str(), PathOf("reference.txt").c_str());
        job.expected = ReadFileBytes("reference.txt");
        ASSERT_GT(job.expected.size(), 100000u) << job.input;
    }

    CPipe start;
    std::vector<pid_t> children;
    for (const Job& job : jobs) {
        children.push_back(Spawn([&] {
            start.Receive(WAIT_LIMIT);
            for (int round = 0; round < ROUNDS; ++round) {
                const std::string output = std::string(job.input) + "-" + std::to_string(round) + ".txt";
                ConvertFile(PathOf(job.input).c_str(), PathOf(output).c_str());
            }
            return 0;
        }));
    }
    for (std::size_t i = 0; i < children.size(); ++i) start.Send('g');
    for (pid_t child : children) EXPECT_EQ(WaitFor(child), 0);

    for (const Job& job : jobs) {
        for (int round = 0; round < ROUNDS; ++round) {
            const std::string output = std::string(job.input) + "-" + std::to_string(round) + ".txt";
            EXPECT_EQ(ReadFileBytes(output), job.expected) << output;
        }
    }
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
}

// ---- waiting and the deleted work file ----------------------------------

TEST_F(ConcurrencyTest, SecondInstanceWaitsUntilTheFirstReleases)
{
    // The child is made before the lock is taken: a child forked while the
    // lock is held would share the locked descriptor and never see it freed.
    CPipe go;
    CPipe report;
    const pid_t child = Spawn([&] {
        go.Receive(WAIT_LIMIT);
        CWorkFileLock lock(WORK_FILE_NAME);
        report.Send('L');
        return 0;
    });
    std::optional<CWorkFileLock> held(std::in_place, WORK_FILE_NAME);
    go.Send('g');
    ASSERT_TRUE(IsWaitingForLock(child));
    EXPECT_FALSE(report.Receive(std::chrono::milliseconds(100)).has_value()) << "took a held lock";
    held.reset();
    EXPECT_EQ(report.Receive(WAIT_LIMIT), 'L');
    EXPECT_EQ(WaitFor(child), 0);
}

TEST_F(ConcurrencyTest, WaiterLocksTheFileThatTheNameLeadsToAfterTheHolderDeletedIt)
{
    struct Case {
        const char* name;
        bool madeAgain;  // a third party makes a new work file before the release
    } const cases[] = {
        {"deleted", false},
        {"deleted and made again", true},
    };
    for (const Case& c : cases) {
        CPipe go;
        CPipe report;
        CPipe quit;
        const pid_t child = Spawn([&] {
            go.Receive(WAIT_LIMIT);
            CWorkFileLock lock(WORK_FILE_NAME);
            report.Send('L');
            quit.Receive(WAIT_LIMIT);
            return 0;
        });
        std::optional<CWorkFileLock> held(std::in_place, WORK_FILE_NAME);
        go.Send('g');
        ASSERT_TRUE(IsWaitingForLock(child)) << c.name;
        ASSERT_EQ(unlink(WORK_FILE_NAME), 0);
        if (c.madeAgain) WriteFileBytes(WORK_FILE_NAME, "");
        held.reset();
        EXPECT_EQ(report.Receive(WAIT_LIMIT), 'L') << c.name;
        EXPECT_TRUE(IsLockedByAnother(WORK_FILE_NAME)) << c.name << ": the lock is on a file without a name";
        quit.Send('q');
        EXPECT_EQ(WaitFor(child), 0) << c.name;
        unlink(WORK_FILE_NAME);
    }
}

TEST_F(ConcurrencyTest, FailedPipelineReleasesTheLockAndLeavesTheWorkFile)
{
    WriteFileBytes("cell.idf", IvInput());
    EXPECT_THROW(ConvertFile(PathOf("cell.idf").c_str(), PathOf("missing/out.txt").c_str()), CFileException);
    ASSERT_TRUE(Exists(WORK_FILE_NAME));
    EXPECT_FALSE(IsLockedByAnother(WORK_FILE_NAME));
    EXPECT_EQ(ReadFileBytes(WORK_FILE_NAME).size(), IvInput().size());
}

TEST_F(ConcurrencyTest, LockKeepsAnExistingWorkFileWhole)
{
    WriteFileBytes(WORK_FILE_NAME, "left by a failed run");
    {
        CWorkFileLock lock(WORK_FILE_NAME);
    }
    EXPECT_EQ(ReadFileBytes(WORK_FILE_NAME), "left by a failed run");
}

// ---- failures of the lock's own calls -------------------------------------

TEST_F(ConcurrencyTest, LockFailuresRaiseWithTheWorkPathAndLeakNoDescriptor)
{
    struct Case {
        const char* name;
        void (*inject)();
        int cause;
        long osError;
    } const cases[] = {
        {"open refused",
         [] {
             Sys().open = [](const char*, int, mode_t) {
                 errno = EACCES;
                 return -1;
             };
         },
         CFileException::accessDenied, EACCES},
        {"locking unsupported",
         [] {
             Sys().flock = [](int, int) {
                 errno = ENOLCK;
                 return -1;
             };
         },
         CFileException::lockViolation, ENOLCK},
        {"descriptor status fails",
         [] {
             Sys().fstat = [](int, struct stat*) {
                 errno = EIO;
                 return -1;
             };
         },
         CFileException::genericException, EIO},
        {"name status fails",
         [] {
             Sys().stat = [](const char*, struct stat*) {
                 errno = EACCES;
                 return -1;
             };
         },
         CFileException::accessDenied, EACCES},
        {"name never leads to the locked file",
         [] {
             Sys().stat = [](const char*, struct stat*) {
                 errno = ENOENT;
                 return -1;
             };
         },
         CFileException::lockViolation, EAGAIN},
    };
    for (const Case& c : cases) {
        const int before = testutil::CountOpenDescriptors();
        ScopedSysIo restore;
        c.inject();
        testutil::ExpectFileError([] { CWorkFileLock lock(WORK_FILE_NAME); },
                                  {.cause = c.cause, .osError = c.osError, .path = WORK_FILE_NAME}, c.name);
        EXPECT_EQ(testutil::CountOpenDescriptors(), before) << c.name;
    }
}

TEST_F(ConcurrencyTest, InterruptedWaitIsResumed)
{
    ScopedSysIo restore;
    static int interruptions;
    interruptions = 2;
    Sys().flock = [](int fd, int operation) {
        if (interruptions > 0) {
            --interruptions;
            errno = EINTR;
            return -1;
        }
        return RealSysIo().flock(fd, operation);
    };
    const int before = testutil::CountOpenDescriptors();
    {
        CWorkFileLock lock(WORK_FILE_NAME);
        EXPECT_EQ(interruptions, 0);
        EXPECT_TRUE(IsLockedByAnother(WORK_FILE_NAME));
    }
    EXPECT_EQ(testutil::CountOpenDescriptors(), before);
    EXPECT_FALSE(IsLockedByAnother(WORK_FILE_NAME));
}

}  // namespace

#else

TEST(ConcurrencyTest, NeedsAPosixSystem)
{
    GTEST_SKIP() << "two processes are made with fork, which this system lacks";
}

#endif
