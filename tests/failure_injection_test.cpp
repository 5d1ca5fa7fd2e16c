// Every stdio and file-system call of a conversion made to fail in turn,
// through the seam: each failure must reach the caller as the file exception
// with the right cause and the failing file's path, leave the work file as
// the rules say, keep what was written before it intact, and leak nothing.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/batch_run.h"
#include "batch/job_table.h"
#include "batch/naming.h"
#include "engine/convert_file.h"
#include "engine/eis_converter.h"
#include "engine/filter.h"
#include "engine/iv_converter.h"
#include "platform/file_exception.h"
#include "platform/message_box.h"
#include "platform/sysio.h"
#include "support/robust_util.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

// ---- the failing calls ------------------------------------------------------

// The one call of a run that fails: the countdown reaches it, and the file
// it concerned is recorded.
struct FaultState {
    bool armed = false;
    int countdown = 0;  // calls of the chosen kind still to pass before the failure
    int calls = 0;      // calls of the chosen kind seen while armed
    bool fired = false;
    std::string path;          // the file of the failed call
    bool workExisted = false;  // whether the work file was there when the call failed
};
FaultState g_fault;

bool Hit()
{
    if (!g_fault.armed) return false;
    ++g_fault.calls;
    if (g_fault.fired || g_fault.countdown-- > 0) return false;
    g_fault.fired = true;
    std::error_code ignored;
    g_fault.workExisted = fs::exists(WORK_FILE_NAME, ignored);
    return true;
}

std::string PathOfDescriptor(int fd)
{
    std::error_code ignored;
    return fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ignored).string();
}

std::string PathOfStream(FILE* stream)
{
    return PathOfDescriptor(fileno(stream));
}

const SysIo& Real()
{
    return RealSysIo();
}

// Each failure as the system would give it; the real call runs where the
// system would have done part of the work (a short write, a close that
// releases the descriptor anyway).
int FailOpen(const char* path, int flags, mode_t mode)
{
    if (!Hit()) return Real().open(path, flags, mode);
    g_fault.path = path;
    errno = EACCES;
    return -1;
}

FILE* FailFdopen(int fd, const char* mode)
{
    if (!Hit()) return Real().fdopen(fd, mode);
    g_fault.path = PathOfDescriptor(fd);
    errno = ENOMEM;
    return nullptr;
}

int FailFstat(int fd, struct stat* st)
{
    if (!Hit()) return Real().fstat(fd, st);
    g_fault.path = PathOfDescriptor(fd);
    errno = EIO;
    return -1;
}

size_t FailFread(void* buffer, size_t size, size_t count, FILE* stream)
{
    if (!Hit()) return Real().fread(buffer, size, count, stream);
    g_fault.path = PathOfStream(stream);
    errno = EIO;
    return 0;
}

size_t FailFwrite(const void* buffer, size_t size, size_t count, FILE* stream)
{
    if (!Hit()) return Real().fwrite(buffer, size, count, stream);
    g_fault.path = PathOfStream(stream);
    const size_t written = Real().fwrite(buffer, size, count / 2, stream);
    errno = ENOSPC;
    return written;
}

char* FailFgets(char* buffer, int count, FILE* stream)
{
    if (!Hit()) return Real().fgets(buffer, count, stream);
    g_fault.path = PathOfStream(stream);
    errno = EIO;
    return nullptr;
}

int FailFputs(const char* text, FILE* stream)
{
    if (!Hit()) return Real().fputs(text, stream);
    g_fault.path = PathOfStream(stream);
    errno = ENOSPC;
    return EOF;
}

int FailFseeko(FILE* stream, off_t offset, int origin)
{
    if (!Hit()) return Real().fseeko(stream, offset, origin);
    g_fault.path = PathOfStream(stream);
    errno = EINVAL;
    return -1;
}

off_t FailFtello(FILE* stream)
{
    if (!Hit()) return Real().ftello(stream);
    g_fault.path = PathOfStream(stream);
    errno = EOVERFLOW;
    return -1;
}

int FailFflush(FILE* stream)
{
    if (!Hit()) return Real().fflush(stream);
    g_fault.path = PathOfStream(stream);
    errno = ENOSPC;
    return EOF;
}

int FailFclose(FILE* stream)
{
    if (!Hit()) return Real().fclose(stream);
    g_fault.path = PathOfStream(stream);
    Real().fclose(stream);
    errno = EIO;
    return EOF;
}

int FailClose(int fd)
{
    if (!Hit()) return Real().close(fd);
    g_fault.path = PathOfDescriptor(fd);
    Real().close(fd);
    errno = EIO;
    return -1;
}

int FailFlock(int fd, int operation)
{
    if (!Hit()) return Real().flock(fd, operation);
    g_fault.path = PathOfDescriptor(fd);
    errno = ENOLCK;
    return -1;
}

int FailStat(const char* path, struct stat* st)
{
    if (!Hit()) return Real().stat(path, st);
    g_fault.path = path;
    errno = EACCES;
    return -1;
}

int FailLstat(const char* path, struct stat* st)
{
    if (!Hit()) return Real().lstat(path, st);
    g_fault.path = path;
    errno = EACCES;
    return -1;
}

int FailReplace(const char* from, const char* to)
{
    if (!Hit()) return Real().replace(from, to);
    g_fault.path = from;
    errno = EACCES;
    return -1;
}

int FailUnlink(const char* path)
{
    if (!Hit()) return Real().unlink(path);
    g_fault.path = path;
    errno = EBUSY;
    return -1;
}

// What a failure of one kind of call must lead to.
enum class Outcome {
    raises,           // the file exception, always
    raisesOrHarmless  // the exception, or (where the call's result only
                      // guards an extra check) a run exactly like a clean one
};

struct FaultKind {
    const char* name;
    void (*install)();
    int cause;
    long osError;
    Outcome outcome;
};

const FaultKind FAULT_KINDS[] = {
    {"failed open", [] { Sys().open = FailOpen; }, CFileException::accessDenied, EACCES, Outcome::raises},
    {"failed stream open", [] { Sys().fdopen = FailFdopen; }, CFileException::genericException, ENOMEM,
     Outcome::raises},
    // The status of a just-opened file only guards against directories.
    {"failed status query", [] { Sys().fstat = FailFstat; }, CFileException::genericException, EIO,
     Outcome::raisesOrHarmless},
    {"read error", [] { Sys().fread = FailFread; }, CFileException::genericException, EIO, Outcome::raises},
    {"short write", [] { Sys().fwrite = FailFwrite; }, CFileException::genericException, ENOSPC,
     Outcome::raises},
    {"line read error", [] { Sys().fgets = FailFgets; }, CFileException::genericException, EIO,
     Outcome::raises},
    {"failed text write", [] { Sys().fputs = FailFputs; }, CFileException::diskFull, ENOSPC, Outcome::raises},
    {"failed seek", [] { Sys().fseeko = FailFseeko; }, CFileException::badSeek, EINVAL, Outcome::raises},
    {"failed position query", [] { Sys().ftello = FailFtello; }, CFileException::invalidFile, EOVERFLOW,
     Outcome::raises},
    {"failed flush", [] { Sys().fflush = FailFflush; }, CFileException::diskFull, ENOSPC, Outcome::raises},
    {"failed stream close", [] { Sys().fclose = FailFclose; }, CFileException::diskFull, EIO,
     Outcome::raises},
    // Only the lock's descriptor is closed this way, and its release cannot fail usefully.
    {"failed descriptor close", [] { Sys().close = FailClose; }, 0, 0, Outcome::raisesOrHarmless},
    {"failed link status", [] { Sys().lstat = FailLstat; }, CFileException::accessDenied, EACCES,
     Outcome::raises},
    {"failed rename", [] { Sys().replace = FailReplace; }, CFileException::replaceFailed, EACCES,
     Outcome::raises},
    {"failed lock", [] { Sys().flock = FailFlock; }, CFileException::lockViolation, ENOLCK, Outcome::raises},
    {"failed name status", [] { Sys().stat = FailStat; }, CFileException::accessDenied, EACCES,
     Outcome::raises},
    // A work file that cannot be deleted stays; the next run empties it.
    {"failed deletion", [] { Sys().unlink = FailUnlink; }, 0, 0, Outcome::raisesOrHarmless},
};

const FaultKind& KindNamed(const char* name)
{
    for (const FaultKind& kind : FAULT_KINDS) {
        if (std::strcmp(kind.name, name) == 0) return kind;
    }
    throw std::logic_error(std::string("no fault kind ") + name);
}

// Installs one failing call for its lifetime.
class ScopedFault {
public:
    ScopedFault(const FaultKind& kind, int failAt)
    {
        g_fault = FaultState{};
        g_fault.countdown = failAt;
        kind.install();
    }
    ~ScopedFault() { g_fault.armed = false; }
    ScopedFault(const ScopedFault&) = delete;
    ScopedFault& operator=(const ScopedFault&) = delete;

    void Arm() { g_fault.armed = true; }

private:
    ScopedSysIo m_restore;
};

// ---- inputs and the clean runs ------------------------------------------

// A sweep long enough that the filter needs more than one read and one write.
std::string BigIvInput()
{
    std::ostringstream text;
    text << "\x01\x02[Data]\r\nprimary_data\r\n3\r\n2400\r\n";
    for (int i = 0; i < 2400; ++i)
        text << i * 0.001 << "\t" << (i % 89) * 2.5e-6 << "\t" << i * 0.1 << "\r\n";
    return text.str();
}

std::string SampleOf(const char* name)
{
    return ReadFileBytes(fs::path(QUILLMERE_SOURCE_DIR) / "samples" / name);
}

// One step of the conversion, run on the test folder's files.
struct Step {
    const char* name;
    const char* source;  // the file the step reads
    std::function<std::string()> content;
    std::function<void(const std::string& source, const std::string& target)> run;
};

const Step STEPS[] = {
    {"filter", "input.idf", BigIvInput,
     [](const std::string& s, const std::string& t) { FilterControlBytes(s.c_str(), t.c_str()); }},
    {"current-voltage converter", "work.txt",
     [] { return "a\r\nprimary_data\r\nx\r\n3\r\n1 2 3\r\n4 5 6\r\n"; },
     [](const std::string& s, const std::string& t) { ConvertIvFile(s.c_str(), t.c_str()); }},
    {"impedance converter", "work.txt",
     [] { return "h\r\n1,0,EIS,0,0,1,1000,0,0,10,-5\r\n2,0,EIS,0,0,1,100,0,0,11,-6\r\nx,y,CV\r\n"; },
     [](const std::string& s, const std::string& t) { ConvertEisCsv(s.c_str(), t.c_str()); }},
    {"whole sweep", "sweep_cell_A_07.idf", [] { return SampleOf("sweep_cell_A_07.idf"); },
     [](const std::string& s, const std::string& t) { ConvertFile(s.c_str(), t.c_str()); }},
    {"whole big sweep", "big.idf", BigIvInput,
     [](const std::string& s, const std::string& t) { ConvertFile(s.c_str(), t.c_str()); }},
    {"whole impedance export", "impedance_cell_B_02.csv", [] { return SampleOf("impedance_cell_B_02.csv"); },
     [](const std::string& s, const std::string& t) { ConvertFile(s.c_str(), t.c_str()); }},
};

const Step& StepNamed(const char* name)
{
    for (const Step& step : STEPS) {
        if (std::strcmp(step.name, name) == 0) return step;
    }
    throw std::logic_error(std::string("no step ") + name);
}

// Positions at which a call of a kind made `calls` times is failed: every
// one of a short run, the first, middle and last ones of a long run.
std::vector<int> FailurePositions(int calls)
{
    constexpr int ALL_UP_TO = 40;
    std::vector<int> positions;
    for (int i = 0; i < calls; ++i) {
        if (calls <= ALL_UP_TO || i < 4 || i >= calls - 4 || i % (calls / 8) == 0) positions.push_back(i);
    }
    return positions;
}

class FailureInjectionTest : public testutil::TempDirTest {
protected:
    // Everything a run left: the target's bytes (if any) and whether the work
    // file is there.
    struct Result {
        std::optional<std::string> target;
        bool workLeft = false;
        bool unfinishedLeft = false;
        std::optional<CFileException> error;
    };

    Result Run(const Step& step, ScopedFault* fault)
    {
        WriteFileBytes(step.source, step.content());
        std::error_code ignored;
        WriteFileBytes(TARGET, EARLIER_OUTPUT);
        fs::remove(WORK_FILE_NAME, ignored);
        Result result;
        if (fault != nullptr) fault->Arm();
        try {
            step.run(PathOf(step.source), PathOf(TARGET));
        } catch (const CFileException& error) {
            result.error = error;
        }
        g_fault.armed = false;
        if (Exists(TARGET)) result.target = ReadFileBytes(TARGET);
        result.workLeft = Exists(WORK_FILE_NAME);
        for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
            if (entry.path().filename().string().find(".unfinished") != std::string::npos) {
                result.unfinishedLeft = true;
                fs::remove(entry.path(), ignored);
            }
        }
        return result;
    }

    // How often a call of `kind` is made by a clean run of `step`.
    int CountCalls(const Step& step, const FaultKind& kind)
    {
        ScopedFault counting(kind, 1 << 30);
        Run(step, &counting);
        return g_fault.calls;
    }

    static constexpr const char* TARGET = "target.txt";
    // What the target holds before every run: an earlier output that a
    // failed run must leave exactly as it was.
    static constexpr const char* EARLIER_OUTPUT = "an earlier output\r\n";
    testutil::ScopedAreaSettings m_area{1.0f, 1};
    testutil::MessageRecorder m_messages;
};

std::string Describe(const Step& step, const FaultKind& kind, int position)
{
    return std::string(step.name) + ", " + kind.name + " at call " + std::to_string(position + 1);
}

// The file a failed call worked on, as the user knows it: an output being
// written under its unfinished name is named by its own name.
std::string FileAsNamed(const std::string& path)
{
    const std::size_t unfinished = path.rfind(".unfinished");
    return unfinished == std::string::npos ? path : path.substr(0, unfinished);
}

// A failure leaves the file exception with the failed file's path; the
// output, if any, holds only what a clean run would have begun with.
void CheckRaised(const CFileException& error, const FaultKind& kind, const std::string& where)
{
    EXPECT_EQ(error.m_cause, kind.cause) << where;
    EXPECT_EQ(error.m_lOsError, kind.osError) << where;
    const fs::path named = fs::absolute(error.m_strFileName.c_str());
    EXPECT_EQ(fs::weakly_canonical(named), fs::weakly_canonical(fs::absolute(FileAsNamed(g_fault.path))))
        << where;
    EXPECT_NE(error.GetErrorMessage().Find(error.m_strFileName.c_str()), -1) << where;
}

// ---- each step, each call ----------------------------------------------------

TEST_F(FailureInjectionTest, EveryFailingCallOfEveryStepRaisesWithTheFilesPath)
{
    for (const Step& step : STEPS) {
        const Result clean = Run(step, nullptr);
        ASSERT_FALSE(clean.error.has_value()) << step.name;
        ASSERT_TRUE(clean.target.has_value()) << step.name;
        for (const FaultKind& kind : FAULT_KINDS) {
            const int calls = CountCalls(step, kind);
            for (int position : FailurePositions(calls)) {
                const std::string where = Describe(step, kind, position);
                const int descriptors = testutil::CountOpenDescriptors();
                ScopedFault fault(kind, position);
                const Result result = Run(step, &fault);
                ASSERT_TRUE(g_fault.fired) << where;
                EXPECT_EQ(testutil::CountOpenDescriptors(), descriptors) << where << ": descriptor leaked";
                // Only a failed deletion can leave the unfinished output behind.
                if (std::strcmp(kind.name, "failed deletion") != 0) {
                    EXPECT_FALSE(result.unfinishedLeft) << where << ": unfinished output left";
                }
                if (result.error.has_value()) {
                    CheckRaised(*result.error, kind, where);
                    // The filter writes its work file in place; outputs are
                    // replaced only when complete.
                    if (std::strcmp(step.name, "filter") != 0) {
                        EXPECT_EQ(result.target, EARLIER_OUTPUT) << where << ": earlier output changed";
                    }
                    continue;
                }
                EXPECT_EQ(kind.outcome, Outcome::raisesOrHarmless) << where << ": failure not reported";
                EXPECT_EQ(result.target, clean.target) << where;
            }
        }
    }
}

TEST_F(FailureInjectionTest, SeekIsNeverNeededByAConversion)
{
    // A failing seek can therefore never reach a user; the line file's own
    // tests cover its cause code.
    const FaultKind& seek = KindNamed("failed seek");
    for (const Step& step : STEPS) EXPECT_EQ(CountCalls(step, seek), 0) << step.name;
}

// ---- the work file ------------------------------------------------------------

TEST_F(FailureInjectionTest, WorkFileStaysAfterEveryFailureInThePipeline)
{
    const Step& step = StepNamed("whole big sweep");
    for (const FaultKind& kind : FAULT_KINDS) {
        if (kind.outcome != Outcome::raises) continue;
        const int calls = CountCalls(step, kind);
        for (int position : FailurePositions(calls)) {
            const std::string where = Describe(step, kind, position);
            ScopedFault fault(kind, position);
            const Result result = Run(step, &fault);
            ASSERT_TRUE(result.error.has_value()) << where;
            // A failure never removes the work file: it is there afterwards
            // exactly when it was there as the call failed (the paths are
            // looked at, and the lock creates it, before anything is written).
            EXPECT_EQ(result.workLeft, g_fault.workExisted) << where;
        }
    }
}

TEST_F(FailureInjectionTest, FailedDeletionLeavesACompleteWorkFileAndACompleteOutput)
{
    const Step& step = StepNamed("whole sweep");
    const Result clean = Run(step, nullptr);
    ScopedFault fault(KindNamed("failed deletion"), 0);
    const Result result = Run(step, &fault);
    EXPECT_FALSE(result.error.has_value());
    EXPECT_EQ(result.target, clean.target);
    EXPECT_TRUE(result.workLeft);
    EXPECT_EQ(g_fault.path, WORK_FILE_NAME);
}

// ---- the work file cut short by another program ---------------------------------

// Empties the file of the stream on the first line read, as a program
// that does not take the work-file lock (an older one) might.
bool g_cutPending = false;

char* ReadAndCutFile(char* buffer, int count, FILE* stream)
{
    if (g_cutPending) {
        g_cutPending = false;
        // The stream reads only: cut the file through its name.
        (void)!truncate(PathOfStream(stream).c_str(), 0);
    }
    return RealSysIo().fgets(buffer, count, stream);
}

// Runs `body` in a child process and says whether it ended within `seconds`.
bool EndsWithin(int seconds, const std::function<void()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            body();
        } catch (...) {
        }
        _exit(0);
    }
    for (int waited = 0; waited < seconds * 100; ++waited) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}

TEST_F(FailureInjectionTest, ConverterEndsWhenTheWorkFileIsCutShortUnderIt)
{
    // Longer than the stream's buffer, so the reads go on past the cut.
    std::string rows = "h\r\n";
    while (rows.size() < 300000) rows += "1,0,EIS,0,0,1,1000,0,0,10,-5\r\n";
    struct Case {
        const char* name;
        int (*convert)(CString, CString, ConversionReport*);
    } const cases[] = {
        {"current-voltage converter looking for its marker", ConvertIvFile},
        {"impedance converter", ConvertEisCsv},
    };
    for (const Case& c : cases) {
        WriteFileBytes("work.txt", rows);
        ScopedSysIo restore;
        g_cutPending = true;
        Sys().fgets = ReadAndCutFile;
        EXPECT_TRUE(
            EndsWithin(5, [&] { c.convert(PathOf("work.txt").c_str(), PathOf(TARGET).c_str(), nullptr); }))
            << c.name << ": still reading after 5 s";
    }
}

// ---- the batch ----------------------------------------------------------------------

// Sends standard output to /dev/null while it lives: the batch's progress
// lines are not what these tests look at.
class ScopedQuietStdout {
public:
    ScopedQuietStdout() : m_saved(dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~ScopedQuietStdout()
    {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
    ScopedQuietStdout(const ScopedQuietStdout&) = delete;
    ScopedQuietStdout& operator=(const ScopedQuietStdout&) = delete;

private:
    int m_saved;
};

class BatchFailureTest : public FailureInjectionTest {
protected:
    void SetUp() override
    {
        FailureInjectionTest::SetUp();
        m_quiet = std::make_unique<ScopedQuietStdout>();
        ClearJobs();
        for (const char* name : INPUTS) {
            WriteFileBytes(name, SampleOf(name));
            AddJob(PathOf(name).c_str());
        }
        RunTableBatch(BatchHooks{});
        for (const char* name : OUTPUTS) m_clean.push_back(ReadFileBytes(name));
    }
    void TearDown() override
    {
        ClearJobs();
        m_quiet.reset();
        FailureInjectionTest::TearDown();
    }

    void RemoveOutputs()
    {
        for (const char* name : OUTPUTS) fs::remove(name);
    }

    static constexpr const char* INPUTS[] = {"sweep_cell_A_07.idf", "impedance_cell_B_02.csv",
                                             "aborted_sweep.idf"};
    static constexpr const char* OUTPUTS[] = {"sweep_cell_A_07+IV.txt", "impedance_cell_B_02+IV.txt",
                                              "aborted_sweep+IV.txt"};
    std::vector<std::string> m_clean;
    std::unique_ptr<ScopedQuietStdout> m_quiet;
};

TEST_F(BatchFailureTest, FailureInTheSecondJobStopsTheBatchThereAndKeepsTheFirstOutput)
{
    constexpr int FAILING_JOB = 1;
    for (const FaultKind& kind : FAULT_KINDS) {
        // How often the second job makes this call.
        int calls = 0;
        {
            ScopedFault counting(kind, 1 << 30);
            BatchHooks hooks;
            hooks.jobStarting = [&](int job) { g_fault.armed = job == FAILING_JOB; };
            RemoveOutputs();
            RunTableBatch(hooks);
            calls = g_fault.calls;
        }
        for (int position : FailurePositions(calls)) {
            const std::string where = std::string(kind.name) + " at call " + std::to_string(position + 1);
            RemoveOutputs();
            const int descriptors = testutil::CountOpenDescriptors();
            std::vector<int> done;
            int beeps = 0;
            ScopedBeepSink beep([&](UINT) { ++beeps; });
            ScopedFault fault(kind, position);
            BatchHooks hooks;
            hooks.jobStarting = [&](int job) { g_fault.armed = job == FAILING_JOB; };
            hooks.jobDone = [&](int job) { done.push_back(job); };
            bool raised = false;
            try {
                RunTableBatch(hooks);
            } catch (const CFileException& error) {
                raised = true;
                CheckRaised(error, kind, where);
            }
            EXPECT_EQ(testutil::CountOpenDescriptors(), descriptors) << where;
            EXPECT_EQ(ReadFileBytes(OUTPUTS[0]), m_clean[0]) << where << ": earlier output damaged";
            if (raised) {
                EXPECT_EQ(done, std::vector<int>{0}) << where;
                EXPECT_EQ(beeps, 0) << where;
                EXPECT_FALSE(Exists(OUTPUTS[2])) << where << ": the batch went on";
                continue;
            }
            EXPECT_EQ(kind.outcome, Outcome::raisesOrHarmless) << where << ": failure not reported";
            EXPECT_EQ(done, (std::vector<int>{0, 1, 2})) << where;
            EXPECT_EQ(beeps, 1) << where;
            for (std::size_t i = 0; i < std::size(OUTPUTS); ++i)
                EXPECT_EQ(ReadFileBytes(OUTPUTS[i]), m_clean[i]) << where << ": " << OUTPUTS[i];
        }
    }
}

}  // namespace

#else

TEST(FailureInjectionTest, NeedsAPosixSystem)
{
    GTEST_SKIP() << "the failing calls are POSIX calls";
}

#endif
