// The platform's file lock, exercised from threads, which every system runs
// alike: each thread takes the lock through a handle of its own, so two
// threads of one process contend as two processes do.
#include "platform/file_lock.h"

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/convert_file.h"
#include "platform/file_exception.h"
#include "platform/sysio.h"
#include "support/test_util.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

constexpr const char* LOCKED = "locked.tmp";
// Long enough for a thread that could take the lock to have taken it.
constexpr auto SETTLE = std::chrono::milliseconds(300);
// Far longer than any release takes to reach a waiter.
constexpr auto WAIT_LIMIT = std::chrono::seconds(20);

// A thread that takes the lock on `path`, tells when it holds it, and lets
// it go when asked.
class CLockingThread {
public:
    explicit CLockingThread(std::string path) : m_path(std::move(path)), m_thread([this] { Run(); }) {}
    ~CLockingThread()
    {
        m_release.set_value();
        m_thread.join();
    }
    CLockingThread(const CLockingThread&) = delete;
    CLockingThread& operator=(const CLockingThread&) = delete;

    // True once the thread holds the lock, waiting at most `limit`.
    bool Holds(std::chrono::milliseconds limit)
    {
        return m_held.wait_for(limit) == std::future_status::ready;
    }

    // The failure the thread's Acquire raised, if any.
    std::string Error() const { return m_error; }

private:
    void Run()
    {
        CFileLock lock;
        try {
            lock.Acquire(m_path.c_str());
        } catch (const CFileException& error) {
            m_error = error.GetErrorMessage().str();
        }
        m_heldPromise.set_value();
        m_releaseFuture.wait();
    }

    std::string m_path;
    std::string m_error;
    std::promise<void> m_heldPromise;
    std::shared_future<void> m_held{m_heldPromise.get_future().share()};
    std::promise<void> m_release;
    std::future<void> m_releaseFuture{m_release.get_future()};
    std::thread m_thread;
};

class FileLockTest : public testutil::TempDirTest {};

// ---- taking and keeping ---------------------------------------------------

TEST_F(FileLockTest, AcquireCreatesAMissingFileEmpty)
{
    CFileLock lock;
    EXPECT_FALSE(lock.IsHeld());
    lock.Acquire(LOCKED);
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_TRUE(Exists(LOCKED));
    EXPECT_EQ(ReadFileBytes(LOCKED), "");
}

TEST_F(FileLockTest, AcquireKeepsAnExistingFileWhole)
{
    WriteFileBytes(LOCKED, "left by a failed run\r\n");
    {
        CFileLock lock;
        lock.Acquire(LOCKED);
        EXPECT_EQ(ReadFileBytes(LOCKED), "left by a failed run\r\n") << "readable while locked";
    }
    EXPECT_EQ(ReadFileBytes(LOCKED), "left by a failed run\r\n");
}

TEST_F(FileLockTest, LockedFileStaysReadableAndWritableThroughOtherHandles)
{
    // The converters write and read the work file while the pipeline holds
    // its lock; a lock that covered the file's bytes would stop them.
    CFileLock lock;
    lock.Acquire(LOCKED);
    WriteFileBytes(LOCKED, std::string(100000, 'x'));
    EXPECT_EQ(ReadFileBytes(LOCKED).size(), 100000u);
}

TEST_F(FileLockTest, ReleaseIsHarmlessWhenNothingIsHeld)
{
    CFileLock lock;
    lock.Release();
    lock.Acquire(LOCKED);
    lock.Release();
    lock.Release();
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_TRUE(Exists(LOCKED)) << "releasing leaves the file where it was";
}

// ---- waiting ----------------------------------------------------------------

TEST_F(FileLockTest, SecondHolderWaitsUntilTheFirstReleases)
{
    CFileLock first;
    first.Acquire(LOCKED);
    CLockingThread second(PathOf(LOCKED));
    EXPECT_FALSE(second.Holds(SETTLE)) << "took a held lock";
    first.Release();
    EXPECT_TRUE(second.Holds(WAIT_LIMIT));
    EXPECT_EQ(second.Error(), "");
}

TEST_F(FileLockTest, DestroyingTheHolderReleases)
{
    auto first = std::make_unique<CFileLock>();
    first->Acquire(LOCKED);
    CLockingThread second(PathOf(LOCKED));
    EXPECT_FALSE(second.Holds(SETTLE));
    first.reset();
    EXPECT_TRUE(second.Holds(WAIT_LIMIT));
}

TEST_F(FileLockTest, ReacquiringLetsTheOldLockGoFirst)
{
    CFileLock lock;
    lock.Acquire(LOCKED);
    lock.Acquire("other.tmp");
    CLockingThread second(PathOf(LOCKED));
    EXPECT_TRUE(second.Holds(WAIT_LIMIT)) << "the first file's lock was kept";
}

TEST_F(FileLockTest, WaiterHoldsTheFileTheNameLeadsToAfterTheHolderDeletedIt)
{
    // The pipeline deletes its work file while it holds the lock; the
    // instance that waited must end up holding a lock that a third one
    // still has to wait for.
    CFileLock first;
    first.Acquire(LOCKED);
    auto second = std::make_unique<CLockingThread>(PathOf(LOCKED));
    EXPECT_FALSE(second->Holds(SETTLE));
    ASSERT_EQ(Sys().unlink(LOCKED), 0);
    first.Release();
    ASSERT_TRUE(second->Holds(WAIT_LIMIT));
    EXPECT_EQ(second->Error(), "");

    CLockingThread third(PathOf(LOCKED));
    EXPECT_FALSE(third.Holds(SETTLE)) << "the waiter holds a lock on a file without a name";
    second.reset();
    EXPECT_TRUE(third.Holds(WAIT_LIMIT));
    EXPECT_EQ(third.Error(), "");
}

// ---- the pipeline's lock at work --------------------------------------------

TEST_F(FileLockTest, TwoConversionsInOneFolderAtOnceWriteExactOutputs)
{
    // Both share the folder's one work file; each output must come out as a
    // conversion on its own makes it.
    constexpr int POINTS = 1500;
    constexpr int ROUNDS = 6;
    testutil::ScopedAreaSettings area(0.5f, 1);
    const std::string inputs[] = {testutil::IvInput(POINTS), testutil::EisInput(POINTS)};
    const char* const names[] = {"sweep.idf", "spectrum.csv"};
    std::string expected[2];
    for (int i = 0; i < 2; ++i) {
        WriteFileBytes(names[i], inputs[i]);
        ConvertFile(PathOf(names[i]).c_str(), PathOf("alone.txt").c_str());
        expected[i] = ReadFileBytes("alone.txt");
        ASSERT_FALSE(expected[i].empty());
    }
    for (int round = 0; round < ROUNDS; ++round) {
        std::vector<std::thread> workers;
        std::string failures[2];
        for (int i = 0; i < 2; ++i) {
            workers.emplace_back([&, i] {
                try {
                    ConvertFile(PathOf(names[i]).c_str(), PathOf("out" + std::to_string(i) + ".txt").c_str());
                } catch (const CFileException& error) {
                    failures[i] = error.GetErrorMessage().str();
                }
            });
        }
        for (std::thread& worker : workers) worker.join();
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(failures[i], "") << "round " << round;
            EXPECT_EQ(ReadFileBytes("out" + std::to_string(i) + ".txt"), expected[i]) << "round " << round;
        }
    }
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
}

// ---- failures of the system's calls (Windows) -------------------------------

#ifdef _WIN32

// Counts the handles the lock opens and closes, so a test can see none leak.
struct HandleCount {
    static inline int opened = 0;
    static inline int closed = 0;

    static std::intptr_t Create(const char* path, unsigned long access, unsigned long share,
                                unsigned long disposition)
    {
        const std::intptr_t handle = RealSysIo().createFile(path, access, share, disposition);
        opened += handle != -1 ? 1 : 0;
        return handle;
    }
    static int Close(std::intptr_t handle)
    {
        ++closed;
        return RealSysIo().closeHandle(handle);
    }
    static void Install()
    {
        opened = 0;
        closed = 0;
        Sys().createFile = Create;
        Sys().closeHandle = Close;
    }
};

struct FailureCase {
    const char* name;
    void (*inject)();
    int cause;
    long osError;
};

TEST_F(FileLockTest, FailuresRaiseWithThePathAndLeakNoHandle)
{
    const FailureCase cases[] = {
        {"open refused for good",
         [] {
             Sys().createFile = [](const char*, unsigned long, unsigned long,
                                   unsigned long) -> std::intptr_t {
                 SetLastError(ERROR_ACCESS_DENIED);
                 return -1;
             };
         },
         CFileException::accessDenied, ERROR_ACCESS_DENIED},
        {"folder missing",
         [] {
             Sys().createFile = [](const char*, unsigned long, unsigned long,
                                   unsigned long) -> std::intptr_t {
                 SetLastError(ERROR_PATH_NOT_FOUND);
                 return -1;
             };
         },
         CFileException::badPath, ERROR_PATH_NOT_FOUND},
        {"locking refused",
         [] {
             Sys().lockFileEx = [](std::intptr_t, unsigned long long, unsigned long long, int) {
                 SetLastError(ERROR_NOT_SUPPORTED);
                 return 0;
             };
         },
         CFileException::lockViolation, ERROR_NOT_SUPPORTED},
        {"identity unknown",
         [] {
             Sys().getFileId = [](std::intptr_t, SysFileId*) {
                 SetLastError(ERROR_INVALID_FUNCTION);
                 return 0;
             };
         },
         CFileException::genericException, ERROR_INVALID_FUNCTION},
        {"name never leads to the locked file",
         [] {
             Sys().getFileId = [](std::intptr_t, SysFileId* id) {
                 static unsigned long long next = 1;
                 id->volume = 7;
                 id->index = next++;
                 return 1;
             };
         },
         CFileException::lockViolation, ERROR_LOCK_VIOLATION},
    };
    for (const FailureCase& c : cases) {
        ScopedSysIo restore;
        HandleCount::Install();
        c.inject();
        const int createdBefore = HandleCount::opened;
        testutil::ExpectFileError(
            [] {
                CFileLock lock;
                lock.Acquire(LOCKED);
            },
            {.cause = c.cause, .osError = c.osError, .path = LOCKED}, c.name);
        if (Sys().createFile == HandleCount::Create) {
            EXPECT_EQ(HandleCount::closed, HandleCount::opened - createdBefore)
                << c.name << ": handle leaked";
        }
    }
}

TEST_F(FileLockTest, OpenRefusedWhileADeletedFileLingersIsTriedAgain)
{
    // A file deleted while other handles are open refuses opens until the
    // last of them closes; the lock waits for that instead of failing.
    ScopedSysIo restore;
    static int refusals;
    refusals = 3;
    Sys().createFile = [](const char* path, unsigned long access, unsigned long share,
                          unsigned long disposition) -> std::intptr_t {
        if (refusals > 0) {
            --refusals;
            SetLastError(ERROR_ACCESS_DENIED);
            return -1;
        }
        return RealSysIo().createFile(path, access, share, disposition);
    };
    CFileLock lock;
    lock.Acquire(LOCKED);
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_EQ(refusals, 0);
}

// Another instance's work file, as a conversion that starts just as that
// instance ends looks at it: the look takes its attributes, then opens it
// for its identity, and the file can go in between, or refuse the open
// while its deletion waits for the last handle to close.
struct VanishingCase {
    const char* what;
    long error;    // what the open for the identity meets
    int refusals;  // how many times
};
const char* g_vanishing = nullptr;
long g_vanishError = 0;
int g_vanishRefusals = 0;

std::intptr_t OpenVanishing(const char* path, unsigned long access, unsigned long share,
                            unsigned long disposition)
{
    if (access == 0 && g_vanishRefusals > 0 && std::string(path) == g_vanishing) {
        --g_vanishRefusals;
        SetLastError(g_vanishError);
        return -1;
    }
    return RealSysIo().createFile(path, access, share, disposition);
}

TEST_F(FileLockTest, WorkFileOfAnInstanceThatEndsMeanwhileIsNoError)
{
    const VanishingCase cases[] = {
        {"gone between its attributes and its identity", ERROR_FILE_NOT_FOUND, 1},
        {"its deletion pending for a while", ERROR_ACCESS_DENIED, 20},
    };
    testutil::ScopedAreaSettings area(1.0f, 1);
    WriteFileBytes("v.idf", "primary_data\r\n3\r\n1\r\n1 2 3\r\n");
    for (const VanishingCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(WORK_FILE_NAME, "another instance's");
        ScopedSysIo restore;
        g_vanishing = WORK_FILE_NAME;
        g_vanishError = c.error;
        g_vanishRefusals = c.refusals;
        Sys().createFile = OpenVanishing;
        std::string failure;
        try {
            ConvertFile(PathOf("v.idf").c_str(), PathOf("v+IV.txt").c_str());
        } catch (const CFileException& error) {
            failure = error.GetErrorMessage().str();
        }
        EXPECT_EQ(failure, "");
        EXPECT_EQ(g_vanishRefusals, 0);
        EXPECT_EQ(ReadFileBytes("v+IV.txt"), "1.000000,-2000.000000,3.000000\r\n");
        EXPECT_FALSE(Exists(WORK_FILE_NAME));
    }
}

TEST_F(FileLockTest, ReleaseUnlocksBeforeClosing)
{
    // Closing a handle frees its locks only when the system gets round to it.
    ScopedSysIo restore;
    static std::vector<std::string> calls;
    calls.clear();
    Sys().unlockFileEx = [](std::intptr_t handle, unsigned long long offset, unsigned long long length) {
        calls.push_back("unlock");
        return RealSysIo().unlockFileEx(handle, offset, length);
    };
    Sys().closeHandle = [](std::intptr_t handle) {
        calls.push_back("close");
        return RealSysIo().closeHandle(handle);
    };
    CFileLock lock;
    lock.Acquire(LOCKED);
    calls.clear();
    lock.Release();
    EXPECT_EQ(calls, (std::vector<std::string>{"unlock", "close"}));
}

#endif

}  // namespace
