// The batch run: jobs in order through ConvertFile, a flushed progress
// line after each, name reduction read per job, one beep at the end, and a
// file error that stops the run where it happens.
#include "batch/batch_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/job_table.h"
#include "batch/naming.h"
#include "platform/file_exception.h"
#include "platform/message_box.h"
#include "support/test_util.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr int BINARY_FLAG = O_BINARY;
#else
constexpr int BINARY_FLAG = 0;
#endif
constexpr int STDOUT_FD = 1;

using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

// A sweep of one point and an impedance export of one row, and what each
// gives with the area 1.0 applied.
const std::string IV_INPUT = "primary_data\r\n3\r\n1\r\n1 2 3\r\n";
const std::string IV_OUTPUT = "1.000000,-2000.000000,3.000000\r\n";
const std::string EIS_INPUT = "header\r\n1,0,EIS,1,0,0,1000,0,0,10,-5\r\n";
const std::string EIS_OUTPUT = "1000.000000 10.000000 5.000000\r\n";

// Sends standard output into a file while it lives; the bytes written so far
// can be read at any moment without flushing anything.
class StdoutCapture {
public:
    StdoutCapture() : m_path(std::filesystem::current_path() / "captured-stdout")
    {
        std::fflush(stdout);
        m_saved = dup(STDOUT_FD);
        const int file = open(m_path.string().c_str(), O_WRONLY | O_CREAT | O_TRUNC | BINARY_FLAG, 0600);
        dup2(file, STDOUT_FD);
        close(file);
    }
    ~StdoutCapture()
    {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FD);
        close(m_saved);
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // What has reached the file, without flushing the stream first.
    std::string Written() const { return ReadFileBytes(m_path); }
    // Everything printed, after a flush.
    std::string All() const
    {
        std::fflush(stdout);
        return Written();
    }

private:
    std::filesystem::path m_path;
    int m_saved = -1;
};

class BatchRunTest : public testutil::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        m_savedCount = g_jobCount;
        ClearJobs();
    }
    void TearDown() override
    {
        g_jobCount = m_savedCount;
        TempDirTest::TearDown();
    }

    // Writes each input that has content and adds one job per name, in order.
    void AddInputs(const std::vector<std::pair<std::string, std::string>>& inputs)
    {
        for (const auto& [name, content] : inputs) {
            if (!content.empty()) {
                WriteFileBytes(PathOf(name), content);
            }
            ASSERT_TRUE(AddJob(PathOf(name).c_str()));
        }
    }
    std::string ProgressLine(const std::string& name) const
    {
        return "Finished Processing file: " + PathOf(name) + "\r\n";
    }
    // Runs the batch with the box in state `reduce`, capturing output and beeps.
    std::string Run(bool reduce)
    {
        BatchHooks hooks;
        hooks.reduceName = [reduce] { return reduce; };
        return RunWith(hooks);
    }
    std::string RunWith(const BatchHooks& hooks)
    {
        StdoutCapture capture;
        RunTableBatch(hooks);
        return capture.All();
    }

    std::vector<UINT> m_beeps;
    ScopedBeepSink m_beepSink{[this](UINT type) { m_beeps.push_back(type); }};
    testutil::ScopedAreaSettings m_area{1.0f, 1};
    testutil::MessageRecorder m_messages;

private:
    int m_savedCount = 0;
};

// --- Jobs, progress lines and the beep ---------------------------------------------

TEST_F(BatchRunTest, NoJobPrintsNothingAndBeepsOnce)
{
    EXPECT_EQ("", Run(false));
    EXPECT_EQ(std::vector<UINT>{MB_ICONASTERISK}, m_beeps);
}

struct ReduceCase {
    const char* what;
    bool reduce;
    const char* ivOutput;
    const char* eisOutput;
    const char* absent;
};

TEST_F(BatchRunTest, ConvertsEveryJobInOrderAndPrintsItsPath)
{
    const ReduceCase cases[] = {
        {"box ticked shortens names", true, "07+IV.txt", "scan+IV.txt", "cell_A_07+IV.txt"},
        {"box cleared keeps long names", false, "cell_A_07+IV.txt", "scan+IV.txt", "07+IV.txt"},
    };
    for (const ReduceCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearJobs();
        m_beeps.clear();
        for (const char* output : {"07+IV.txt", "cell_A_07+IV.txt", "scan+IV.txt"}) {
            std::filesystem::remove(output);
        }
        AddInputs({{"cell_A_07.idf", IV_INPUT}, {"scan.csv", EIS_INPUT}});

        EXPECT_EQ(ProgressLine("cell_A_07.idf") + ProgressLine("scan.csv"), Run(c.reduce));
        EXPECT_EQ(IV_OUTPUT, ReadFileBytes(c.ivOutput));
        EXPECT_EQ(EIS_OUTPUT, ReadFileBytes(c.eisOutput));
        EXPECT_FALSE(Exists(c.absent));
        EXPECT_FALSE(Exists("123.xqrtmp"));
        EXPECT_EQ(std::vector<UINT>{MB_ICONASTERISK}, m_beeps);
    }
}

TEST_F(BatchRunTest, ProgressLineIsOutWhenItsJobEnds)
{
    AddInputs({{"a.idf", IV_INPUT}, {"b.idf", IV_INPUT}});
    StdoutCapture capture;
    std::vector<std::string> seen;
    BatchHooks hooks;
    hooks.jobDone = [&](int) { seen.push_back(capture.Written()); };
    RunTableBatch(hooks);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(ProgressLine("a.idf"), seen[0]);
    EXPECT_EQ(ProgressLine("a.idf") + ProgressLine("b.idf"), seen[1]);
}

TEST_F(BatchRunTest, PathIsPrintedAsTextEvenWithPercentSigns)
{
    AddInputs({{"100%s_%d%n.idf", IV_INPUT}});
    EXPECT_EQ(ProgressLine("100%s_%d%n.idf"), Run(false));
}

TEST_F(BatchRunTest, JobOfNeitherKindStillGetsItsLine)
{
    AddInputs({{"notes.txt", "primary_data\r\n"}});
    EXPECT_EQ(ProgressLine("notes.txt"), Run(false));
    EXPECT_FALSE(Exists("notes+IV.txt"));
}

TEST_F(BatchRunTest, EmptyHooksRunWithoutReduction)
{
    AddInputs({{"cell_A_07.idf", IV_INPUT}});
    EXPECT_EQ(ProgressLine("cell_A_07.idf"), RunWith(BatchHooks{}));
    EXPECT_TRUE(Exists("cell_A_07+IV.txt"));
}

TEST_F(BatchRunTest, HooksSurroundEachJob)
{
    AddInputs({{"a.idf", IV_INPUT}, {"b.csv", EIS_INPUT}});
    std::vector<std::string> calls;
    BatchHooks hooks;
    hooks.jobStarting = [&](int job) { calls.push_back("start " + std::to_string(job)); };
    hooks.jobDone = [&](int job) { calls.push_back("done " + std::to_string(job)); };
    RunWith(hooks);
    EXPECT_EQ((std::vector<std::string>{"start 0", "done 0", "start 1", "done 1"}), calls);
}

// --- What is read again before every job ---------------------------------------------

TEST_F(BatchRunTest, ReduceStateIsReadBeforeEveryJob)
{
    AddInputs({{"x_1.idf", IV_INPUT}, {"y_2.idf", IV_INPUT}, {"z_3.idf", IV_INPUT}});
    int reads = 0;
    BatchHooks hooks;
    // Read once to find outputs that would collide, then before every job.
    hooks.reduceName = [&reads] { return ++reads == 3; };
    RunWith(hooks);
    EXPECT_EQ(4, reads);
    EXPECT_TRUE(Exists("x_1+IV.txt"));
    EXPECT_TRUE(Exists("2+IV.txt"));
    EXPECT_TRUE(Exists("z_3+IV.txt"));
}

// --- Name reduction in a run -----------------------------------------------------------

struct UnderscoreCase {
    const char* what;
    const char* input;
    const char* output;
};

TEST_F(BatchRunTest, ReductionAtTheEdgesOfTheName)
{
    const UnderscoreCase cases[] = {
        {"underscore first", "_x.idf", "x+IV.txt"},
        {"underscore last", "abc_.idf", "+IV.txt"},
        {"no underscore", "plain.idf", "plain+IV.txt"},
    };
    for (const UnderscoreCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearJobs();
        AddInputs({{c.input, IV_INPUT}});
        Run(true);
        EXPECT_EQ(IV_OUTPUT, ReadFileBytes(c.output));
    }
}

TEST_F(BatchRunTest, ShortenedNameStaysForTheNextRun)
{
    AddInputs({{"cell_A_07.idf", IV_INPUT}});
    Run(true);
    std::filesystem::remove("07+IV.txt");
    Run(false);
    EXPECT_EQ(IV_OUTPUT, ReadFileBytes("07+IV.txt"));
    EXPECT_FALSE(Exists("cell_A_07+IV.txt"));
}

// --- A file error ------------------------------------------------------------------------

TEST_F(BatchRunTest, FileErrorStopsTheRunAtItsJob)
{
    AddInputs({{"a.idf", IV_INPUT}, {"missing.idf", ""}, {"c.idf", IV_INPUT}});
    std::vector<int> done;
    BatchHooks hooks;
    hooks.jobDone = [&done](int job) { done.push_back(job); };

    StdoutCapture capture;
    testutil::ExpectFileError([&] { RunTableBatch(hooks); }, {.path = PathOf("missing.idf")});
    EXPECT_EQ(ProgressLine("a.idf"), capture.All());
    EXPECT_EQ(std::vector<int>{0}, done);
    EXPECT_EQ(IV_OUTPUT, ReadFileBytes("a+IV.txt"));
    EXPECT_FALSE(Exists("missing+IV.txt"));
    EXPECT_FALSE(Exists("c+IV.txt"));
    EXPECT_TRUE(m_beeps.empty());
}

TEST_F(BatchRunTest, FailingJobKeepsItsShortenedName)
{
    AddInputs({{"cell_A_07.idf", IV_INPUT}, {"lost_B_09.idf", ""}});
    EXPECT_THROW(Run(true), CFileException);
    EXPECT_EQ(PathOf("09+IV.txt"), g_targetEntries[1].fullPath.str());
}

// --- What is made sure of before the first job ---------------------------------------

TEST_F(BatchRunTest, UnusableAreaConvertsNothing)
{
    for (float area : {0.0f, -0.196f, HUGE_VALF, NAN}) {
        SCOPED_TRACE(area);
        ClearJobs();
        AddInputs({{"a.idf", IV_INPUT}});
        testutil::ScopedAreaSettings settings(area, 1);
        BatchReport report;
        StdoutCapture capture;
        report = RunTableBatch({});
        EXPECT_EQ(report.result, BatchResult::areaUnusable);
        EXPECT_EQ(capture.All(), "");
        EXPECT_FALSE(Exists("a+IV.txt"));
        EXPECT_TRUE(m_beeps.empty());
    }
    // Not applied, the area does not matter.
    testutil::ScopedAreaSettings notApplied(0.0f, 0);
    EXPECT_EQ(RunTableBatch({}).result, BatchResult::ran);
}

TEST_F(BatchRunTest, DifferentInputsForOneOutputConvertNothingAndChangeNoName)
{
    struct Case {
        std::vector<std::string> inputs;
        bool reduce;
        std::vector<std::pair<int, int>> pairs;  // colliding jobs: first claimant, later one
    } const cases[] = {
        {{"cell_07.idf", "cell_07.csv"}, false, {{0, 1}}},
        {{"a_07.idf", "b_07.idf", "c_07.csv", "d_08.idf"}, true, {{0, 1}, {0, 2}}},
        {{"a_07.idf", "b_07.idf"}, false, {}},
        {{"same.idf", "same.idf"}, false, {}},  // one input listed twice
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inputs[1]);
        ClearJobs();
        for (const std::string& input : c.inputs) AddInputs({{input, IV_INPUT}});
        const std::vector<OutputCollision> found = FindOutputCollisions(TableJobs(), c.reduce);
        ASSERT_EQ(found.size(), c.pairs.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].firstInput.str(), PathOf(c.inputs[c.pairs[i].first]));
            EXPECT_EQ(found[i].secondInput.str(), PathOf(c.inputs[c.pairs[i].second]));
            EXPECT_EQ(found[i].output, TargetPathOf(c.pairs[i].second, c.reduce));
        }
        if (found.empty()) continue;
        const std::string before = g_targetEntries[1].fullPath.str();
        EXPECT_EQ(Run(c.reduce), "");
        EXPECT_EQ(g_targetEntries[1].fullPath.str(), before) << "a refused run shortens no name";
        for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
            EXPECT_EQ(entry.path().string().find("+IV.txt"), std::string::npos) << entry.path();
        }
    }
}

}  // namespace
