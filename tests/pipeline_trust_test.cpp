// quillmere-convert as a process, on what the pipeline itself must never
// do to the user's files: write through a work file into another file, leave
// the work file or an unfinished output behind when a signal ends it, keep
// the leftovers of a killed run for ever, or fail on a name it accepts.
#include <gtest/gtest.h>

#if defined(QUILLMERE_CONVERT_EXE) && !defined(_WIN32)

#include <sys/file.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/convert_file.h"
#include "support/cli_util.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::ErrLine;
using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;
using Args = std::vector<std::string>;

using PipelineTrustTest = testutil::ConvertCliTest;

const std::string IV_INPUT = "primary_data\r\n3\r\n1\r\n1 2 3\r\n";
const std::string IV_OUTPUT = "1.000000,-2000.000000,3.000000\r\n";
const std::string EIS_INPUT = "h\r\n1,0,EIS,0,0,1,1000,0,0,10,-5\r\n";

// The names a run may leave that are no inputs and no finished outputs.
bool IsLeftover(const std::string& name)
{
    return name == WORK_FILE_NAME || name.find(".unfinished") != std::string::npos;
}

// --- The work file writes into nothing else -------------------------------------------------

struct WorkFileCase {
    const char* what;
    std::function<void(const fs::path& dir)> make;  // after a.idf, b.csv and thesis.txt are there
    Args args;
    const char* reason;  // "@" stands for the test folder
};

TEST_F(PipelineTrustTest, WorkFileThatWouldWriteIntoAnotherFileStopsTheRunBeforeAnythingIsWritten)
{
    const WorkFileCase cases[] = {
        {"a second name of a later input",
         [](const fs::path& dir) { fs::create_hard_link(dir / "b.csv", dir / WORK_FILE_NAME); },
         {"a.idf", "b.csv"},
         "it is @/b.csv, an input of this run, under another name"},
        {"a later input that is a link to the work file",
         [](const fs::path& dir) {
             fs::copy_file(dir / "b.csv", dir / WORK_FILE_NAME);
             fs::create_symlink(WORK_FILE_NAME, dir / "w.csv");
         },
         {"a.idf", "w.csv"},
         "it is @/w.csv, an input of this run, under another name"},
        {"a later input named like the work file",
         [](const fs::path& dir) { fs::copy_file(dir / "b.csv", dir / WORK_FILE_NAME); },
         {"a.idf", "./123.xqrtmp"},
         "it is @/./123.xqrtmp, an input of this run, under another name"},
        {"a second name of a file that is no input",
         [](const fs::path& dir) { fs::create_hard_link(dir / "thesis.txt", dir / WORK_FILE_NAME); },
         {"a.idf", "b.csv"},
         "the work file has a second name (a hard link), so writing it would change another file too"},
    };
    for (const WorkFileCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        WriteFileBytes(PathOf("a.idf"), IV_INPUT);
        WriteFileBytes(PathOf("b.csv"), EIS_INPUT);
        WriteFileBytes(PathOf("thesis.txt"), "my thesis\r\n");
        c.make(Dir());
        const auto before = Listing();

        const auto result = Run(c.args);
        std::string reason = c.reason;
        if (const std::size_t at = reason.find('@'); at != std::string::npos)
            reason.replace(at, 1, Dir().string());
        EXPECT_EQ(1, result.exitStatus);
        EXPECT_EQ("", result.out);
        EXPECT_EQ(ErrLine("stopped at " + PathOf("a.idf") + ": refusing to use 123.xqrtmp: " + reason) +
                      ErrLine("1 of 2 files not run") +
                      ErrLine("2 files: 0 converted (0 rows), 1 failed, 1 not run"),
                  result.err);
        EXPECT_EQ(before, Listing()) << "nothing was written";
        EXPECT_EQ(EIS_INPUT, ReadFileBytes("b.csv"));
        EXPECT_EQ("my thesis\r\n", ReadFileBytes("thesis.txt"));
    }
}

// --- Signals leave nothing behind -----------------------------------------------------------

struct SignalCase {
    int signal;
    int exitStatus;
};

// Many small files: the run makes and removes the work file and an
// unfinished output several thousand times a second, so signals sent at
// many moments land in every step of the pipeline.
constexpr int SMALL_FILES = 150;
constexpr int MOMENTS = 30;

TEST_F(PipelineTrustTest, SignalsAtManyMomentsOfABatchLeaveNeitherWorkFileNorUnfinishedOutput)
{
    Args inputs;
    for (int i = 0; i < SMALL_FILES; ++i) {
        const std::string name = "s" + std::to_string(1000 + i) + ".idf";
        WriteFileBytes(PathOf(name), testutil::IvInput(40 + i % 7));
        inputs.push_back(name);
    }
    ASSERT_EQ(0, Run(inputs).exitStatus);
    std::vector<std::string> complete;
    for (const std::string& input : inputs) {
        complete.push_back(ReadFileBytes(input.substr(0, input.size() - 4) + "+IV.txt"));
    }

    const SignalCase cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    int interrupted = 0;
    int leftovers = 0;
    for (const SignalCase& c : cases) {
        for (int moment = 0; moment < MOMENTS; ++moment) {
            for (const auto& entry : fs::directory_iterator(Dir())) {
                const std::string name = entry.path().filename().string();
                if (name.ends_with("+IV.txt") || IsLeftover(name)) fs::remove(entry.path());
            }
            // The moment: once the output of a file further into the batch
            // is there, and a few microseconds more, different each time.
            const std::size_t file = static_cast<std::size_t>(moment) * SMALL_FILES / MOMENTS;
            const std::string mark = inputs[file].substr(0, inputs[file].size() - 4) + "+IV.txt";
            testutil::ChildProcess child(QUILLMERE_CONVERT_EXE, inputs, Dir());
            while (child.Running() && !Exists(PathOf(mark))) {
                std::this_thread::yield();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(37 * (moment % 11)));
            child.Signal(c.signal);
            const auto result = child.Wait();
            if (result.exitStatus == c.exitStatus) {
                ++interrupted;
                EXPECT_TRUE(result.err.find("quillmere-convert: interrupted") != std::string::npos)
                    << result.err;
            } else {
                EXPECT_EQ(0, result.exitStatus) << "signal " << c.signal << ", moment " << moment;
            }
            for (const auto& entry : fs::directory_iterator(Dir())) {
                const std::string name = entry.path().filename().string();
                if (IsLeftover(name)) {
                    ++leftovers;
                    ADD_FAILURE() << "signal " << c.signal << ", moment " << moment << ": " << name
                                  << " left";
                }
            }
            for (std::size_t i = 0; i < inputs.size(); ++i) {
                const std::string output = inputs[i].substr(0, inputs[i].size() - 4) + "+IV.txt";
                if (Exists(PathOf(output))) {
                    EXPECT_EQ(complete[i], ReadFileBytes(output)) << output << " is not complete";
                }
            }
        }
    }
    RecordProperty("interrupted", interrupted);
    EXPECT_EQ(0, leftovers);
    // Most signals must have come while the batch ran, or the test shows nothing.
    EXPECT_GE(interrupted, static_cast<int>(std::size(cases)) * MOMENTS / 2);
}

// --- Leftovers of a killed run ----------------------------------------------------------------

struct LeftoverCase {
    const char* what;
    Args leftovers;  // unfinished files of a.idf's output that a killed run left
    Args held;       // those of them that another running instance still writes
    Args remaining;  // what is left of them after the run
};

TEST_F(PipelineTrustTest, LeftoversOfAKilledRunAreRemovedUnlessAnotherInstanceStillWritesThem)
{
    const LeftoverCase cases[] = {
        {"one leftover", {"a+IV.txt.unfinished"}, {}, {}},
        {"several leftovers",
         {"a+IV.txt.unfinished", "a+IV.txt.unfinished-2", "a+IV.txt.unfinished-3"},
         {},
         {}},
        {"one being written", {"a+IV.txt.unfinished"}, {"a+IV.txt.unfinished"}, {"a+IV.txt.unfinished"}},
        {"one being written before a leftover",
         {"a+IV.txt.unfinished", "a+IV.txt.unfinished-2"},
         {"a+IV.txt.unfinished"},
         {"a+IV.txt.unfinished"}},
        {"a leftover before one being written",
         {"a+IV.txt.unfinished", "a+IV.txt.unfinished-2"},
         {"a+IV.txt.unfinished-2"},
         {"a+IV.txt.unfinished-2"}},
    };
    for (const LeftoverCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        WriteFileBytes(PathOf("a.idf"), IV_INPUT);
        for (const std::string& name : c.leftovers) {
            WriteFileBytes(PathOf(name), "half an output of a killed run\r\n1.0");
        }
        // A running instance holds the lock on its unfinished output while it writes.
        std::vector<int> locks;
        for (const std::string& name : c.held) {
            const int fd = open(PathOf(name).c_str(), O_RDWR | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(0, flock(fd, LOCK_EX | LOCK_NB));
            locks.push_back(fd);
        }

        const auto result = Run({"a.idf"});
        for (const int fd : locks) {
            close(fd);
        }
        EXPECT_EQ(0, result.exitStatus) << result.err;
        EXPECT_EQ(IV_OUTPUT, ReadFileBytes("a+IV.txt"));
        Args expected = c.remaining;
        expected.insert(expected.end(), {"a+IV.txt", "a.idf"});
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, Listing());
        for (const std::string& name : c.remaining) {
            EXPECT_EQ("half an output of a killed run\r\n1.0", ReadFileBytes(name)) << name;
        }
    }
}

// --- Long names -------------------------------------------------------------------------------

TEST_F(PipelineTrustTest, EveryInputNameWhoseOutputNameFitsIsConverted)
{
    // Output names of these inputs take 249 to 255 bytes: the output fits
    // the file system's 255, the unfinished name beside it did not.
    const long longest = pathconf(Dir().c_str(), _PC_NAME_MAX);
    if (longest != 255)
        GTEST_SKIP() << "the test folder's file system takes names of " << longest << " bytes";
    Args inputs;
    for (std::size_t length = 242; length <= 252; ++length) {
        inputs.push_back(std::string(length - 4, 'n') + ".idf");
        WriteFileBytes(PathOf(inputs.back()), IV_INPUT);
    }
    const auto result = Run(inputs);
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(ErrLine("11 files: 11 converted (11 rows)"), result.err);
    for (const std::string& input : inputs) {
        EXPECT_EQ(IV_OUTPUT, ReadFileBytes(input.substr(0, input.size() - 4) + "+IV.txt")) << input.size();
    }
    for (const std::string& name : Listing()) {
        EXPECT_FALSE(IsLeftover(name)) << name;
    }
}

}  // namespace

#endif
