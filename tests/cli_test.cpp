// quillmere-convert: the option parsing on its own, then the built program
// run as a process on files in a temporary folder, its outputs compared byte
// for byte with the expected files, its streams and its exit status.
#include <gtest/gtest.h>

#ifdef QUILLMERE_CONVERT_EXE

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "batch/job_table.h"
#include "cli/command_line.h"
#include "cli/convert_command.h"
#include "platform/path.h"
#include "support/cli_util.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;
using Args = std::vector<std::string>;

// --- Reading the command line ----------------------------------------------------

struct ParseCase {
    const char* what;
    Args args;
    CliAction action;
    std::optional<std::string> area;
    bool reduce;
    Args files;
    const char* error;
};

TEST(CommandLineTest, ReadsOptionsAndFiles)
{
    const auto convert = CliAction::Convert;
    const auto usage = CliAction::UsageError;
    const std::nullopt_t none = std::nullopt;
    const ParseCase cases[] = {
        {"files only", {"a.idf", "b.csv"}, convert, none, false, {"a.idf", "b.csv"}, ""},
        {"area as the next argument", {"--area", "2.5", "a.idf"}, convert, "2.5", false, {"a.idf"}, ""},
        {"area after an equals sign", {"--area=2.5", "a.idf"}, convert, "2.5", false, {"a.idf"}, ""},
        {"empty area after an equals sign", {"--area=", "a.idf"}, convert, "", false, {"a.idf"}, ""},
        {"area value may begin with a dash", {"--area", "-2", "a.idf"}, convert, "-2", false, {"a.idf"}, ""},
        {"area value keeps a later equals sign", {"--area=a=b", "x"}, convert, "a=b", false, {"x"}, ""},
        {"last area wins", {"--area", "1", "--area=3", "x"}, convert, "3", false, {"x"}, ""},
        {"reduce name", {"--reduce-name", "x"}, convert, none, true, {"x"}, ""},
        {"options after and between files",
         {"x", "--reduce-name", "y", "--area", "4"},
         convert,
         "4",
         true,
         {"x", "y"},
         ""},
        {"double dash ends the options",
         {"--", "--reduce-name", "-x", "--help"},
         convert,
         none,
         false,
         {"--reduce-name", "-x", "--help"},
         ""},
        {"second double dash is a file", {"--", "--"}, convert, none, false, {"--"}, ""},
        {"lone dash is a file", {"-"}, convert, none, false, {"-"}, ""},
        {"empty argument is a file", {""}, convert, none, false, {""}, ""},
        {"help acts where it stands", {"x", "--help", "--frob"}, CliAction::Help, none, false, {}, ""},
        {"version", {"--version"}, CliAction::Version, none, false, {}, ""},
        {"unknown option before help",
         {"--frob", "--help"},
         usage,
         none,
         false,
         {},
         "unknown option '--frob'"},
        {"short options are unknown", {"-h"}, usage, none, false, {}, "unknown option '-h'"},
        {"no abbreviations", {"--red", "x"}, usage, none, false, {}, "unknown option '--red'"},
        {"unknown option with a value",
         {"--colour=red", "x"},
         usage,
         none,
         false,
         {},
         "unknown option '--colour'"},
        {"nothing at all", {}, usage, none, false, {}, "no input files"},
        {"options without files", {"--reduce-name", "--area", "2"}, usage, none, false, {}, "no input files"},
        {"area without its value", {"x", "--area"}, usage, none, false, {}, "option '--area' needs a value"},
        {"value on a switch",
         {"--reduce-name=1", "x"},
         usage,
         none,
         false,
         {},
         "option '--reduce-name' takes no value"},
        {"value on help", {"--help=1"}, usage, none, false, {}, "option '--help' takes no value"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ConvertOptions options = ParseCommandLine(c.args);
        EXPECT_EQ(c.action, options.action);
        EXPECT_EQ(std::string(c.error), options.error);
        if (c.action == CliAction::Convert) {
            EXPECT_EQ(c.area, options.areaText);
            EXPECT_EQ(c.reduce, options.reduceName);
            EXPECT_EQ(c.files, options.files);
        }
    }
}

TEST(CommandLineTest, UsageTextIsTheSynopsis)
{
    EXPECT_STREQ(
        "Usage: quillmere-convert [--area TEXT] [--reduce-name] FILE...\n"
        "       quillmere-convert --help | --version\n",
        USAGE_TEXT);
    EXPECT_EQ(0, std::strncmp(HELP_TEXT, USAGE_TEXT, std::strlen(USAGE_TEXT)));
}

struct AbsoluteCase {
    const char* what;
    const char* path;
    const char* currentDir;
    const char* absolute;
};

TEST(CommandLineTest, FilesBecomeAbsolutePathsAsTyped)
{
    const AbsoluteCase cases[] = {
#ifdef _WIN32
        {"bare name", "a.idf", "C:\\w", "C:\\w\\a.idf"},
        {"full path kept", "D:\\abs\\a.idf", "C:\\w", "D:\\abs\\a.idf"},
        {"full path with slashes kept", "D:/abs/a.idf", "C:\\w", "D:/abs/a.idf"},
        {"network path kept", "\\\\server\\share\\a.csv", "C:\\w", "\\\\server\\share\\a.csv"},
        {"root without drive takes the current drive", "\\abs\\a.idf", "C:\\w", "C:\\abs\\a.idf"},
        {"current drive named", "C:sub\\a.idf", "C:\\w", "C:\\w\\sub\\a.idf"},
        {"subfolder", "sub/a.idf", "C:\\w", "C:\\w\\sub/a.idf"},
        {"dot segments are not resolved", "..\\a.idf", "C:\\w", "C:\\w\\..\\a.idf"},
        {"current directory is a root", "a.idf", "C:\\", "C:\\a.idf"},
#else
        {"bare name", "a.idf", "/w", "/w/a.idf"},
        {"absolute path kept", "/abs/a.idf", "/w", "/abs/a.idf"},
        {"subfolder", "sub/a.idf", "/w", "/w/sub/a.idf"},
        {"dot segments are not resolved", "../a.idf", "/w", "/w/../a.idf"},
        {"current directory is the root", "a.idf", "/", "/a.idf"},
        {"backslash is part of the name", "\\a.idf", "/w", "/w/\\a.idf"},
        {"empty name", "", "/w", "/w/"},
#endif
    };
    for (const AbsoluteCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(std::string(c.absolute), MakeAbsolutePath(c.path, c.currentDir));
    }
}

// --- The program as a process ------------------------------------------------------------

const fs::path SAMPLES = fs::path(QUILLMERE_SOURCE_DIR) / "samples";
const fs::path EXPECTED = fs::path(QUILLMERE_TEST_DATA) / "cli";

// A one-point sweep and what it gives with the area 1.0.
const std::string IV_INPUT = "primary_data\r\n3\r\n1\r\n1 2 3\r\n";
const std::string IV_OUTPUT = "1.000000,-2000.000000,3.000000\r\n";

const std::string USAGE_HINT = "Try 'quillmere-convert --help' for more information.\n";

class CliTest : public testutil::TempDirTest {
protected:
    testutil::ProcessResult Run(const Args& args) const
    {
        return testutil::RunProcess(QUILLMERE_CONVERT_EXE, args, Dir());
    }
    void CopySample(const std::string& name) const { fs::copy_file(SAMPLES / name, Dir() / name); }
    std::string Progress(const std::string& name) const
    {
        return "Finished Processing file: " + PathOf(name) + "\r\n";
    }
    // Files in the test folder, sorted, so that stray outputs show up.
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CliTest, ConvertsBothKinds)
{
    CopySample("sweep_cell_A_07.idf");
    CopySample("impedance_cell_B_02.csv");
    const auto result = Run({"sweep_cell_A_07.idf", "impedance_cell_B_02.csv"});

    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(Progress("sweep_cell_A_07.idf") + Progress("impedance_cell_B_02.csv"), result.out);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(ReadFileBytes(EXPECTED / "area-1.0" / "sweep_cell_A_07+IV.txt"),
              ReadFileBytes("sweep_cell_A_07+IV.txt"));
    EXPECT_EQ(ReadFileBytes(EXPECTED / "area-1.0" / "impedance_cell_B_02+IV.txt"),
              ReadFileBytes("impedance_cell_B_02+IV.txt"));
    EXPECT_EQ(ReadFileBytes(SAMPLES / "sweep_cell_A_07.idf"), ReadFileBytes("sweep_cell_A_07.idf"));
    EXPECT_EQ((std::vector<std::string>{"impedance_cell_B_02+IV.txt", "impedance_cell_B_02.csv",
                                        "sweep_cell_A_07+IV.txt", "sweep_cell_A_07.idf"}),
              Listing());
}

struct AreaCase {
    const char* what;
    Args options;
    const char* expectedDir;
};

TEST_F(CliTest, AreaIsReadAsTheAreaBoxReadsIt)
{
    const AreaCase cases[] = {
        {"no option gives 1.0", {}, "area-1.0"},
        {"separate value", {"--area", "0.5"}, "area-0.5"},
        {"value after equals", {"--area=0.5"}, "area-0.5"},
        {"unit after the number", {"--area", "0.5 cm2"}, "area-0.5"},
        {"number within 99 characters", {"--area=" + std::string(96, ' ') + "0.5"}, "area-0.5"},
        {"number cut at character 99", {"--area=" + std::string(97, ' ') + "0.5"}, "area-0"},
        {"empty value gives 0", {"--area="}, "area-0"},
        {"letters give 0", {"--area", "abc"}, "area-0"},
    };
    CopySample("impedance_cell_B_02.csv");
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(c.what);
        Args args = c.options;
        args.push_back("impedance_cell_B_02.csv");
        const auto result = Run(args);
        EXPECT_EQ(0, result.exitStatus);
        EXPECT_EQ("", result.err);
        EXPECT_EQ(ReadFileBytes(EXPECTED / c.expectedDir / "impedance_cell_B_02+IV.txt"),
                  ReadFileBytes("impedance_cell_B_02+IV.txt"));
    }
}

TEST_F(CliTest, AreaScalesTheSweep)
{
    CopySample("sweep_cell_A_07.idf");
    EXPECT_EQ(0, Run({"--area", "0.5", "sweep_cell_A_07.idf"}).exitStatus);
    EXPECT_EQ(ReadFileBytes(EXPECTED / "area-0.5" / "sweep_cell_A_07+IV.txt"),
              ReadFileBytes("sweep_cell_A_07+IV.txt"));
}

TEST_F(CliTest, ReduceNameShortensEveryOutputName)
{
    CopySample("sweep_cell_A_07.idf");
    CopySample("impedance_cell_B_02.csv");
    const auto result = Run({"--reduce-name", "sweep_cell_A_07.idf", "impedance_cell_B_02.csv"});

    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(Progress("sweep_cell_A_07.idf") + Progress("impedance_cell_B_02.csv"), result.out);
    EXPECT_EQ(ReadFileBytes(EXPECTED / "area-1.0" / "sweep_cell_A_07+IV.txt"), ReadFileBytes("07+IV.txt"));
    EXPECT_EQ(ReadFileBytes(EXPECTED / "area-1.0" / "impedance_cell_B_02+IV.txt"),
              ReadFileBytes("02+IV.txt"));
    EXPECT_FALSE(Exists("sweep_cell_A_07+IV.txt"));
    EXPECT_FALSE(Exists("impedance_cell_B_02+IV.txt"));
}

TEST_F(CliTest, DoubleDashLetsNamesBeginWithADash)
{
    WriteFileBytes(PathOf("-scan_3.idf"), IV_INPUT);
    const auto result = Run({"--reduce-name", "--", "-scan_3.idf"});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(Progress("-scan_3.idf"), result.out);
    EXPECT_EQ(IV_OUTPUT, ReadFileBytes("3+IV.txt"));
}

TEST_F(CliTest, FilesInSubfoldersGetOutputsBesideThem)
{
    WriteFileBytes(PathOf("run/a.idf"), IV_INPUT);
    const auto result = Run({"run/a.idf", PathOf("run/a.idf")});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(Progress("run/a.idf") + Progress("run/a.idf"), result.out);
    EXPECT_EQ(IV_OUTPUT, ReadFileBytes("run/a+IV.txt"));
}

TEST_F(CliTest, WorkFileLiesInTheCurrentDirectoryAndIsGone)
{
    WriteFileBytes(PathOf("data/a.idf"), IV_INPUT);
    fs::create_directory(Dir() / "elsewhere");
    const auto result =
        testutil::RunProcess(QUILLMERE_CONVERT_EXE, {PathOf("data/a.idf")}, Dir() / "elsewhere");
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(IV_OUTPUT, ReadFileBytes("data/a+IV.txt"));
    EXPECT_TRUE(fs::is_empty(Dir() / "elsewhere"));
    EXPECT_FALSE(Exists("data/123.xqrtmp"));
}

TEST_F(CliTest, FilesWithoutDataGiveEmptyOutputs)
{
    CopySample("aborted_sweep.idf");
    CopySample("cv_export.csv");
    const auto result = Run({"aborted_sweep.idf", "cv_export.csv"});

    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(Progress("aborted_sweep.idf") + Progress("cv_export.csv"), result.out);
    EXPECT_EQ(
        "quillmere-convert: " + PathOf("cv_export.csv") + ": Can't find EIS data in the current file!\r\n",
        result.err);
    EXPECT_EQ("", ReadFileBytes("aborted_sweep+IV.txt"));
    EXPECT_EQ("", ReadFileBytes("cv_export+IV.txt"));
}

TEST_F(CliTest, FileOfNeitherKindIsListedButLeftAlone)
{
    WriteFileBytes(PathOf("notes.txt"), IV_INPUT);
    const auto result = Run({"notes.txt"});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(Progress("notes.txt"), result.out);
    EXPECT_EQ((std::vector<std::string>{"notes.txt"}), Listing());
}

// --- A file error -------------------------------------------------------------------------

// The two lines that report a stop: the failing file with the reason, then the count.
void ExpectStopReport(const std::string& err, const std::string& failingPath, int notRun, int total)
{
    const std::string head = "quillmere-convert: stopped at " + failingPath + ": ";
    const std::string count =
        "quillmere-convert: " + std::to_string(notRun) + " of " + std::to_string(total) + " jobs not run\n";
    const std::size_t lineEnd = err.find('\n');
    ASSERT_NE(std::string::npos, lineEnd) << err;
    const std::string reason = err.substr(0, lineEnd);
    EXPECT_EQ(0u, reason.rfind(head, 0)) << err;
    EXPECT_NE(std::string::npos, reason.find(failingPath, head.size())) << err;
#ifndef _WIN32
    EXPECT_NE(std::string::npos, reason.find(std::strerror(ENOENT))) << err;
#endif
    EXPECT_GT(reason.size(), head.size() + failingPath.size()) << "no reason given: " << err;
    EXPECT_EQ(count, err.substr(lineEnd + 1));
}

TEST_F(CliTest, MissingFileStopsTheRunAtItsJob)
{
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    WriteFileBytes(PathOf("c.idf"), IV_INPUT);
    const auto result = Run({"a.idf", "missing.idf", "c.idf"});

    EXPECT_EQ(1, result.exitStatus);
    EXPECT_EQ(Progress("a.idf"), result.out);
    ExpectStopReport(result.err, PathOf("missing.idf"), 2, 3);
    EXPECT_EQ(IV_OUTPUT, ReadFileBytes("a+IV.txt"));
    EXPECT_FALSE(Exists("c+IV.txt"));
    EXPECT_FALSE(Exists("missing+IV.txt"));
}

// --- Usage, help and version -----------------------------------------------------------------

struct UsageCase {
    const char* what;
    Args args;
    const char* error;
};

TEST_F(CliTest, UsageErrorsExitWithTwoAndTouchNothing)
{
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    const UsageCase cases[] = {
        {"no arguments", {}, "no input files"},
        {"unknown option", {"a.idf", "--frob"}, "unknown option '--frob'"},
        {"option-like name without double dash", {"-a.idf"}, "unknown option '-a.idf'"},
        {"area without its value", {"a.idf", "--area"}, "option '--area' needs a value"},
        {"value on a switch", {"--reduce-name=yes", "a.idf"}, "option '--reduce-name' takes no value"},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = Run(c.args);
        EXPECT_EQ(2, result.exitStatus);
        EXPECT_EQ("", result.out);
        EXPECT_EQ("quillmere-convert: " + std::string(c.error) + "\n" + USAGE_TEXT + USAGE_HINT, result.err);
        EXPECT_EQ((std::vector<std::string>{"a.idf"}), Listing());
    }
}

TEST_F(CliTest, HelpGoesToStandardOutput)
{
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    const auto result = Run({"a.idf", "--help"});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(HELP_TEXT, result.out);
    EXPECT_EQ("", result.err);
    EXPECT_EQ((std::vector<std::string>{"a.idf"}), Listing());
}

TEST_F(CliTest, VersionNamesTheProgramAndItsVersion)
{
    const auto result = Run({"--version"});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(std::string("quillmere-convert ") + QUILLMERE_VERSION + "\n", result.out);
    EXPECT_EQ("", result.err);
}

// --- More files than the table holds ------------------------------------------------------------

constexpr int MANY = MAX_JOBS + 1;

std::string NumberedName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "f%04d.idf", i);
    return name;
}

std::string NumberedOutput(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "f%04d+IV.txt", i);
    return name;
}

class ManyFilesTest : public CliTest {
protected:
    // Writes MANY inputs, leaving out `missing` (or none when it is -1).
    Args WriteInputs(int missing)
    {
        Args names;
        for (int i = 0; i < MANY; ++i) {
            names.push_back(NumberedName(i));
            if (i != missing) {
                WriteFileBytes(PathOf(names.back()), IV_INPUT);
            }
        }
        return names;
    }
    std::string ProgressUpTo(int end) const
    {
        std::string text;
        for (int i = 0; i < end; ++i) {
            text += Progress(NumberedName(i));
        }
        return text;
    }
};

TEST_F(ManyFilesTest, MoreFilesThanTheTableHoldsAreAllConverted)
{
    const auto result = Run(WriteInputs(-1));
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(ProgressUpTo(MANY), result.out);
    for (int i = 0; i < MANY; ++i) {
        ASSERT_EQ(IV_OUTPUT, ReadFileBytes(NumberedOutput(i))) << NumberedOutput(i);
    }
}

struct BatchStopCase {
    const char* what;
    int missing;
};

TEST_F(ManyFilesTest, StopCountsTheJobsOfLaterBatches)
{
    const BatchStopCase cases[] = {
        {"stop in the first batch", 500},
        {"stop in the second batch", MAX_JOBS},
    };
    for (const BatchStopCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove(entry.path());
        }
        const auto result = Run(WriteInputs(c.missing));
        EXPECT_EQ(1, result.exitStatus);
        EXPECT_EQ(ProgressUpTo(c.missing), result.out);
        ExpectStopReport(result.err, PathOf(NumberedName(c.missing)), MANY - c.missing, MANY);
        EXPECT_TRUE(Exists(NumberedOutput(c.missing - 1)));
        EXPECT_FALSE(Exists(NumberedOutput(c.missing)));
        if (c.missing + 1 < MANY) {
            EXPECT_FALSE(Exists(NumberedOutput(c.missing + 1)));
        }
    }
}

}  // namespace

#else

TEST(CliTest, NeedsTheProgram)
{
    GTEST_SKIP() << "quillmere-convert is not part of this build";
}

#endif
