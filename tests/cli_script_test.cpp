// quillmere-convert as a script uses it, run as a process: the exit
// statuses, -h and the hint for a mistyped option, --output-dir, folder
// arguments, a reader of standard output that goes away, and the columns
// named in the help.
#include <gtest/gtest.h>

#ifdef QUILLMERE_CONVERT_EXE

#include <algorithm>
#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/run_report.h"
#include "engine/convert_file.h"
#include "platform/path.h"
#include "support/cli_util.h"
#include "support/test_util.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using testutil::ErrLine;
using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;
using Args = std::vector<std::string>;
using Json = nlohmann::json;

using ScriptTest = testutil::ConvertCliTest;

// A one-point sweep and what it gives with the area 1.0.
const std::string IV_INPUT = "primary_data\r\n3\r\n1\r\n1 2 3\r\n";
const std::string IV_OUTPUT = "1.000000,-2000.000000,3.000000\r\n";
// A one-row impedance export and what it gives with the area 1.0.
const std::string EIS_INPUT = "h\r\n0,0,EIS,0,0,0,100,0,0,2,-3\r\n";
const std::string EIS_OUTPUT = "100.000000 2.000000 3.000000\r\n";
// A sweep that announces 8 points and holds 3.
const std::string SHORT_INPUT = "primary_data\r\n3\r\n8\r\n1 2e-3 3\r\n4 5e-3 6\r\n7 8e-3 9\r\n";

const std::string USAGE_HINT = "Try 'quillmere-convert --help' for more information.\n";

std::string UsageLines(const std::string& error)
{
    return ErrLine(error) + USAGE_TEXT + USAGE_HINT;
}

// `rest` below `folder`, with this system's separators.
std::string Below(const fs::path& folder, const std::string& rest)
{
    std::string path = folder.string() + PATH_SEPARATOR;
    for (const char ch : rest) {
        path += ch == '/' ? PATH_SEPARATOR : ch;
    }
    return path;
}

// The names in `dir`, sorted.
Args Names(const fs::path& dir)
{
    Args names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveAll(const fs::path& dir)
{
    for (const auto& entry : fs::directory_iterator(dir)) {
        fs::remove_all(entry.path());
    }
}

// --- Exit statuses ------------------------------------------------------------------------

struct StatusCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // name, bytes
    Args folders;                                            // made before the run
    Args args;
    testutil::StdoutTarget stdoutTarget;
    int exitStatus;
};

TEST_F(ScriptTest, ExitStatusTellsWhetherEveryFileGaveItsFullOutput)
{
    const auto captured = testutil::StdoutTarget::captured;
    const auto unwritable = testutil::StdoutTarget::unwritable;
    const StatusCase cases[] = {
        {"every file converted in full",
         {{"a.idf", IV_INPUT}, {"b.csv", EIS_INPUT}},
         {},
         {"a.idf", "b.csv"},
         captured,
         0},
        {"a short sweep", {{"s.idf", SHORT_INPUT}}, {}, {"s.idf"}, captured, 3},
        {"a file without data beside a full one",
         {{"a.idf", IV_INPUT}, {"e.idf", ""}},
         {},
         {"a.idf", "e.idf"},
         captured,
         3},
        {"a file that is not converted", {{"notes.txt", IV_INPUT}}, {}, {"notes.txt"}, captured, 3},
        {"a missing file", {{"a.idf", IV_INPUT}}, {}, {"a.idf", "gone.idf"}, captured, 1},
        {"a file error stops the run", {{"a.idf", IV_INPUT}}, {"a+IV.txt"}, {"a.idf"}, captured, 1},
        {"a file error after a file without data: 1 wins over 3",
         {{"e.idf", ""}, {"a.idf", IV_INPUT}},
         {"a+IV.txt"},
         {"e.idf", "a.idf"},
         captured,
         1},
        {"standard output fails in a run that falls short: 1 wins over 3",
         {{"e.idf", ""}},
         {},
         {"e.idf"},
         unwritable,
         1},
        {"standard output fails in a full run", {{"a.idf", IV_INPUT}}, {}, {"a.idf"}, unwritable, 1},
        {"a usage error", {{"a.idf", IV_INPUT}}, {}, {"--area", "0", "a.idf"}, captured, 2},
        {"two files with one output",
         {{"x.idf", IV_INPUT}, {"x.csv", EIS_INPUT}},
         {},
         {"x.idf", "x.csv"},
         captured,
         2},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveAll(Dir());
        for (const auto& [name, bytes] : c.files) {
            WriteFileBytes(PathOf(name), bytes);
        }
        for (const std::string& folder : c.folders) {
            fs::create_directory(Dir() / folder);
        }
        const auto result = Run(c.args, c.stdoutTarget);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
    }
}

// --- -h and mistyped options ------------------------------------------------------------------

TEST_F(ScriptTest, ShortHelpIsTheHelp)
{
    const auto result = Run({"-h"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, HELP_TEXT);
    EXPECT_EQ(result.err, "");
}

struct HintCase {
    const char* typed;
    const char* error;
};

TEST_F(ScriptTest, MistypedOptionIsToldWhatWasMeant)
{
    const HintCase cases[] = {
        {"--arae", "unknown option '--arae'; did you mean --area?"},
        {"-area", "unknown option '-area'; did you mean --area?"},
        {"--reprot", "unknown option '--reprot'; did you mean --report?"},
        {"--hlep", "unknown option '--hlep'; did you mean --help?"},
        // More edits than a slip makes: no guess.
        {"--frob", "unknown option '--frob'"},
        {"--red", "unknown option '--red'"},  // two edits from --area, but of three letters
        {"-x", "unknown option '-x'"},
    };
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    for (const HintCase& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto result = Run({c.typed, "0.5", "a.idf"});
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, UsageLines(c.error));
        EXPECT_EQ(Listing(), Args{"a.idf"});
    }
}

// --- The columns, named in the help and the report -------------------------------------------------

TEST(HelpTextTest, NamesEveryColumnOfBothKinds)
{
    for (const char* column : IV_COLUMNS) {
        EXPECT_NE(std::strstr(HELP_TEXT, column), nullptr) << column;
    }
    for (const char* column : EIS_COLUMNS) {
        EXPECT_NE(std::strstr(HELP_TEXT, column), nullptr) << column;
    }
}

// --- --output-dir ------------------------------------------------------------------------------------

TEST_F(ScriptTest, OutputDirTakesEveryOutputFlatAndTheWorkFile)
{
    WriteFileBytes(Below(Dir(), "run/a/x.idf"), IV_INPUT);
    WriteFileBytes(Below(Dir(), "run/b/y.csv"), EIS_INPUT);
    fs::create_directory(Dir() / "out");
#ifndef _WIN32
    // A work file name in the current folder that would be refused: the run
    // does not look at it, as its work file lies in the output folder.
    fs::create_symlink("nowhere", Dir() / WORK_FILE_NAME);
#endif
    const auto result = Run({"--output-dir", "out", "--report", "r.json", "run/a/x.idf", "run/b/y.csv"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, ErrLine("2 files: 2 converted (2 rows)"));
    EXPECT_EQ(ReadFileBytes(Dir() / "out" / "x+IV.txt"), IV_OUTPUT);
    EXPECT_EQ(ReadFileBytes(Dir() / "out" / "y+IV.txt"), EIS_OUTPUT);
    EXPECT_EQ(Names(Dir() / "out"), (Args{"x+IV.txt", "y+IV.txt"}));
    EXPECT_EQ(Names(Dir() / "run" / "a"), Args{"x.idf"});
    EXPECT_EQ(Names(Dir() / "run" / "b"), Args{"y.csv"});
    const Json report = Json::parse(ReadFileBytes("r.json"));
    EXPECT_EQ(report["settings"]["outputDirectory"], PathOf("out"));
    EXPECT_EQ(report["files"][0]["output"], Below(Dir(), "out/x+IV.txt"));
    EXPECT_EQ(report["files"][1]["output"], Below(Dir(), "out/y+IV.txt"));
}

TEST_F(ScriptTest, OutputsCollideOnlyWhereTheyAreWritten)
{
    WriteFileBytes(Below(Dir(), "a/x.idf"), IV_INPUT);
    WriteFileBytes(Below(Dir(), "b/x.idf"), IV_INPUT);
    fs::create_directory(Dir() / "out");

    // Beside their inputs the two outputs are different files.
    auto result = Run({"a/x.idf", "b/x.idf"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFileBytes(Below(Dir(), "b/x+IV.txt")), IV_OUTPUT);

    result = Run({"--output-dir=out", "a/x.idf", "b/x.idf"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(
        result.err,
        ErrLine("Nothing was converted: different files would be written to the same output file, and each "
                "would replace the one before.\n\n" +
                PathOf("a/x.idf") + "\n" + PathOf("b/x.idf") + "\n    both give " +
                Below(Dir(), "out/x+IV.txt") +
                "\n\nLeave out --output-dir, or leave one of the files out of the command line."));
    EXPECT_TRUE(fs::is_empty(Dir() / "out"));
}

struct FolderProblemCase {
    const char* what;
    std::function<void()> make;
    const char* folder;
    const char* error;  // "@" stands for the test folder
};

TEST_F(ScriptTest, OutputDirMustBeAnExistingFolder)
{
    const FolderProblemCase cases[] = {
        {"a folder that does not exist", [] {}, "gone", "the output folder @/gone does not exist"},
        {"a file", [this] { WriteFileBytes(PathOf("file"), "x"); }, "file",
         "the output folder @/file is not a folder"},
        {"no name", [] {}, "", "option '--output-dir' needs a folder name"},
    };
    for (const FolderProblemCase& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveAll(Dir());
        WriteFileBytes(PathOf("a.idf"), IV_INPUT);
        c.make();
        const auto before = Listing();
        const auto result = Run({"--output-dir=" + std::string(c.folder), "a.idf"});
        std::string error = c.error;
        if (const std::size_t at = error.find('@'); at != std::string::npos) {
            error.replace(at, 2, PathOf(""));
        }
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.err, UsageLines(error));
        EXPECT_EQ(Listing(), before);
    }
}

#ifndef _WIN32
// An instrument share the user may read but not write. Tests run as root,
// for whom permissions do not hold, so the program then runs as a user
// without rights of its own.
TEST_F(ScriptTest, ReadOnlyInputFolderIsConvertedIntoTheOutputDir)
{
    constexpr long NOBODY = 65534;
    const bool root = geteuid() == 0;
    WriteFileBytes(Below(Dir(), "share/cell_1.idf"), IV_INPUT);
    fs::create_directory(Dir() / "out");
    fs::permissions(Dir(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(Dir() / "share", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    fs::permissions(Dir() / "out", fs::perms::all);
    const auto run = [&](const Args& args) {
        return root ? testutil::RunProcessAs(NOBODY, QUILLMERE_CONVERT_EXE, args, Dir() / "out")
                    : testutil::RunProcess(QUILLMERE_CONVERT_EXE, args, Dir() / "out");
    };
    const auto without = run({"../share/cell_1.idf"});
    const auto with = run({"--output-dir", ".", "../share/cell_1.idf"});
    fs::permissions(Dir() / "share", fs::perms::owner_all);
    if (without.exitStatus >= 125 && without.exitStatus <= 127) {
        GTEST_SKIP() << "the test cannot run the program as another user";
    }

    EXPECT_EQ(without.exitStatus, 1);
    EXPECT_NE(without.err.find(": Permission denied"), std::string::npos) << without.err;
    EXPECT_EQ(with.exitStatus, 0) << with.err;
    EXPECT_EQ(ReadFileBytes(Dir() / "out" / "cell_1+IV.txt"), IV_OUTPUT);
    EXPECT_EQ(Names(Dir() / "share"), Args{"cell_1.idf"});
}
#endif

// --- Folder arguments -----------------------------------------------------------------------------------

struct FolderArgumentCase {
    const char* what;
    Args args;
    Args converted;  // in the order of the progress lines, below the test folder
};

TEST_F(ScriptTest, FolderArgumentsGiveTheirDataFiles)
{
    for (const char* name :
         {"run/b.idf", "run/a.csv", "run/sub/c.idf", "run/sub/deep/d.csv", "run/zz/e.idf"}) {
        WriteFileBytes(Below(Dir(), name), std::string(name).ends_with(".idf") ? IV_INPUT : EIS_INPUT);
    }
    WriteFileBytes(Below(Dir(), "run/notes.txt"), "text");
    WriteFileBytes(Below(Dir(), "single.idf"), IV_INPUT);
    const FolderArgumentCase cases[] = {
        {"the files directly inside, by name", {"run"}, {"run/a.csv", "run/b.idf"}},
        {"a folder stands where it was given",
         {"single.idf", "run", "single.idf"},
         {"single.idf", "run/a.csv", "run/b.idf", "single.idf"}},
        {"subfolders too, depth first",
         {"--recursive", "run"},
         {"run/a.csv", "run/b.idf", "run/sub/c.idf", "run/sub/deep/d.csv", "run/zz/e.idf"}},
    };
    for (const FolderArgumentCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string progress;
        for (const std::string& name : c.converted) {
            progress += "Finished Processing file: " + Below(Dir(), name) + "\r\n";
        }
        const auto result = Run(c.args);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, progress);
        EXPECT_FALSE(Exists(Below(Dir(), "run/notes+IV.txt")));
    }
}

TEST_F(ScriptTest, FolderThatGivesNothingIsNamed)
{
    fs::create_directories(Dir() / "empty" / "sub");
    WriteFileBytes(Below(Dir(), "empty/sub/deep.idf"), IV_INPUT);
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    const std::string named = ErrLine("Nothing was added from the folder " + PathOf("empty") +
                                      ": no data files (names with \".idf\" or \".csv\").");

    // Other files are left: the run goes on.
    auto result = Run({"empty", "a.idf"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, Progress("a.idf"));
    EXPECT_EQ(result.err, named + ErrLine("1 file: 1 converted (1 row)"));

    // Nothing is left at all: a usage error.
    result = Run({"empty"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, named + UsageLines("no files to convert"));
    EXPECT_FALSE(Exists(Below(Dir(), "empty/sub/deep+IV.txt")));
}

// --- A reader that goes away ---------------------------------------------------------------------------

TEST_F(ScriptTest, ReaderThatGoesAwayDoesNotStopTheRun)
{
    // Enough files that most progress lines come after the reader has gone.
    constexpr int FILES = 40;
    Args args{"--report", "r.json"};
    for (int i = 0; i < FILES; ++i) {
        const std::string name = "f" + std::to_string(100 + i) + ".idf";
        WriteFileBytes(Below(Dir(), "many/" + name), i == 7 ? std::string() : IV_INPUT);
        args.push_back("many/" + name);
    }
    const auto result = testutil::RunReadingFirstLines(3, QUILLMERE_CONVERT_EXE, args, Dir());

    EXPECT_EQ(result.exitStatus, 1) << "a broken pipe is a failed standard output, and 1 wins over 3";
    EXPECT_EQ(result.out, Progress("many/f100.idf") + Progress("many/f101.idf") + Progress("many/f102.idf"));
    for (int i = 0; i < FILES; ++i) {
        const std::string output = Below(Dir(), "many/f" + std::to_string(100 + i) + "+IV.txt");
        ASSERT_EQ(ReadFileBytes(output), i == 7 ? std::string() : IV_OUTPUT) << output;
    }
    const Json report = Json::parse(ReadFileBytes("r.json"));
    EXPECT_EQ(report["exitStatus"], 1);
    EXPECT_EQ(report["summary"]["converted"], 39);
    const std::string error = report["error"];
#ifndef _WIN32
    EXPECT_EQ(error, "cannot write to standard output: Broken pipe");
#else
    EXPECT_TRUE(error.starts_with("cannot write to standard output: ")) << error;
#endif
    EXPECT_TRUE(
        result.err.ends_with(ErrLine(error) + ErrLine("40 files: 39 converted (39 rows), 1 without data")))
        << result.err;
}

}  // namespace

#endif
