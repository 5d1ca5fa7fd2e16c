// quillmere-convert: the option parsing on its own, then the built program
// run as a process on files in a temporary folder, its outputs compared byte
// for byte with the expected files, its streams and its exit status.
#include <gtest/gtest.h>

#ifdef QUILLMERE_CONVERT_EXE

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_checks.h"
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
    std::string error;
};

// The usage error for an --area value that is no usable area.
std::string AreaError(const std::string& value)
{
    return "option '--area' cannot take '" + value + "': " + AREA_UNUSABLE_MESSAGE;
}

TEST(CommandLineTest, ReadsOptionsAndFiles)
{
    const auto convert = CliAction::Convert;
    const auto usage = CliAction::UsageError;
    const std::nullopt_t none = std::nullopt;
    const ParseCase cases[] = {
        {"files only", {"a.idf", "b.csv"}, convert, none, false, {"a.idf", "b.csv"}, ""},
        {"area as the next argument", {"--area", "2.5", "a.idf"}, convert, "2.5", false, {"a.idf"}, ""},
        {"area after an equals sign", {"--area=2.5", "a.idf"}, convert, "2.5", false, {"a.idf"}, ""},
        {"area in exponent form", {"--area=1e-2", "a.idf"}, convert, "1e-2", false, {"a.idf"}, ""},
        {"area as a whole number", {"--area", "2", "a.idf"}, convert, "2", false, {"a.idf"}, ""},
        {"empty area after an equals sign", {"--area=", "a.idf"}, usage, none, false, {}, AreaError("")},
        {"area value may not be negative",
         {"--area", "-2", "a.idf"},
         usage,
         none,
         false,
         {},
         AreaError("-2")},
        {"area value keeps a later equals sign",
         {"--area=a=b", "x"},
         usage,
         none,
         false,
         {},
         AreaError("a=b")},
        {"last area wins", {"--area", "1", "--area=3", "x"}, convert, "3", false, {"x"}, ""},
        {"report without its file",
         {"x", "--report"},
         usage,
         none,
         false,
         {},
         "option '--report' needs a file name"},
        {"report with an empty name",
         {"--report=", "x"},
         usage,
         none,
         false,
         {},
         "option '--report' needs a file name"},
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
        // An empty argument is most often a variable that held no file name.
        {"empty argument", {"a.idf", ""}, usage, none, false, {}, "argument 2 is empty, not a file name"},
        {"empty argument after a double dash",
         {"--", ""},
         usage,
         none,
         false,
         {},
         "argument 2 is empty, not a file name"},
        {"help acts where it stands", {"x", "--help", "--frob"}, CliAction::Help, none, false, {}, ""},
        {"version", {"--version"}, CliAction::Version, none, false, {}, ""},
        {"unknown option before help",
         {"--frob", "--help"},
         usage,
         none,
         false,
         {},
         "unknown option '--frob'"},
        // -h was unknown before; it is the one short option.
        {"-h is the help", {"x", "-h", "--frob"}, CliAction::Help, none, false, {}, ""},
        {"other short options are unknown", {"-v"}, usage, none, false, {}, "unknown option '-v'"},
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
        EXPECT_EQ(c.error, options.error);
        if (c.action == CliAction::Convert) {
            EXPECT_EQ(c.area, options.areaText);
            EXPECT_EQ(c.reduce, options.reduceName);
            EXPECT_EQ(c.files, options.files);
        }
    }
}

struct ReportOptionCase {
    const char* what;
    Args args;
    std::optional<std::string> report;
};

TEST(CommandLineTest, ReadsTheReportFile)
{
    const ReportOptionCase cases[] = {
        {"no report", {"x"}, std::nullopt},
        {"as the next argument", {"--report", "r.json", "x"}, "r.json"},
        {"after an equals sign", {"x", "--report=r.json"}, "r.json"},
        {"a name that looks like an option", {"--report", "--area", "x"}, "--area"},
        {"the last one wins", {"--report=a", "--report=b", "x"}, "b"},
    };
    for (const ReportOptionCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ConvertOptions options = ParseCommandLine(c.args);
        EXPECT_EQ(CliAction::Convert, options.action) << options.error;
        EXPECT_EQ(c.report, options.reportPath);
        EXPECT_EQ(Args{"x"}, options.files);
    }
}

struct DestinationCase {
    const char* what;
    Args args;
    std::optional<std::string> outputDir;
    bool recursive;
    std::string error;
};

TEST(CommandLineTest, ReadsTheOutputFolderAndRecursion)
{
    const std::nullopt_t none = std::nullopt;
    const DestinationCase cases[] = {
        {"neither", {"x"}, none, false, ""},
        {"folder as the next argument", {"--output-dir", "out", "x"}, "out", false, ""},
        {"folder after an equals sign", {"x", "--output-dir=out"}, "out", false, ""},
        {"the last folder wins", {"--output-dir=a", "--output-dir=b", "x"}, "b", false, ""},
        {"recursion", {"--recursive", "x"}, none, true, ""},
        {"folder without its name",
         {"x", "--output-dir"},
         none,
         false,
         "option '--output-dir' needs a folder name"},
        {"folder with an empty name",
         {"--output-dir=", "x"},
         none,
         false,
         "option '--output-dir' needs a folder name"},
        {"value on recursion", {"--recursive=yes", "x"}, none, false, "option '--recursive' takes no value"},
    };
    for (const DestinationCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ConvertOptions options = ParseCommandLine(c.args);
        EXPECT_EQ(c.error, options.error);
        if (c.error.empty()) {
            EXPECT_EQ(c.outputDir, options.outputDir);
            EXPECT_EQ(c.recursive, options.recursive);
            EXPECT_EQ(Args{"x"}, options.files);
        }
    }
}

struct DistanceCase {
    const char* a;
    const char* b;
    std::size_t distance;
};

TEST(CommandLineTest, EditDistanceCountsSlipsOfTheFingers)
{
    const DistanceCase cases[] = {
        {"", "", 0},         {"area", "area", 0},      {"", "area", 4},        {"area", "", 4},
        {"arae", "area", 1}, {"aera", "area", 1},      {"are", "area", 1},     {"areaa", "area", 1},
        {"arxa", "area", 1}, {"red", "area", 2},       {"report", "repot", 1}, {"ab", "ba", 1},
        {"abc", "ca", 3},    {"kitten", "sitting", 3},
    };
    for (const DistanceCase& c : cases) {
        EXPECT_EQ(EditDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
    }
}

struct AreaTextCase {
    const char* text;
    bool usable;
};

// Only a decimal number and nothing else, a normal number above 0 also once
// it is rounded to the single precision that the converters use.
TEST(CommandLineTest, AreaMustBeACompleteNumberInTheRangeOfSinglePrecision)
{
    const AreaTextCase cases[] = {
        {"0.196", true},
        {"2", true},
        {"1e-2", true},
        {"1E+2", true},
        {"+0.5", true},
        {".5", true},
        {"5.", true},
        {"3e38", true},
        {"0,196", false},
        {"", false},
        {"abc", false},
        {"2x", false},
        {"0.5 cm2", false},
        {" 0.5", false},
        {"0.5 ", false},
        {"0", false},
        {"0.0", false},
        {"-0", false},
        {"-2", false},
        {"inf", false},
        {"nan", false},
        {"1e39", false},
        {"1e-50", false},
        {"--1", false},
        {"1e400", false},
        {"1e-400", false},
        {"infinity", false},
        // Hexadecimal texts, which the help does not offer, are refused now.
        {"0x1p-2", false},
        {"0x10", false},
        // Only normal single-precision numbers: 1e-45 was taken before and
        // made every current infinite.
        {"1e-45", false},
        {"1.1e-38", false},
        {"1.2e-38", true},
        {"3.4028235e38", true},
        {"3.5e38", false},
        // The decimal form, and nothing that only begins like it.
        {"1.e5", true},
        {"+.5", true},
        {"1e", false},
        {"e5", false},
        {".e1", false},
        {".", false},
        {"1e+", false},
        {"1.5.2", false},
    };
    for (const AreaTextCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.usable, IsUsableAreaText(c.text));
    }
    const std::string longest = "0.5" + std::string(96, '0');
    EXPECT_TRUE(IsUsableAreaText(longest));
    EXPECT_FALSE(IsUsableAreaText(longest + "1")) << "more than the area box's 99 characters";
}

TEST(CommandLineTest, UsageTextIsTheSynopsis)
{
    EXPECT_STREQ(
        "Usage: quillmere-convert [--area NUMBER] [--reduce-name] [--output-dir DIR]\n"
        "                         [--recursive] [--plot] [--scientific] [--report FILE]\n"
        "                         FILE|FOLDER...\n"
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

using CliTest = testutil::ConvertCliTest;
using testutil::ErrLine;

TEST_F(CliTest, ConvertsBothKinds)
{
    CopySample("sweep_cell_A_07.idf");
    CopySample("impedance_cell_B_02.csv");
    const auto result = Run({"sweep_cell_A_07.idf", "impedance_cell_B_02.csv"});

    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(Progress("sweep_cell_A_07.idf") + Progress("impedance_cell_B_02.csv"), result.out);
    EXPECT_EQ(ErrLine("2 files: 2 converted (24 rows)"), result.err);
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

TEST_F(CliTest, AreaScalesTheImpedances)
{
    const AreaCase cases[] = {
        {"no option gives 1.0", {}, "area-1.0"},
        {"separate value", {"--area", "0.5"}, "area-0.5"},
        {"value after equals", {"--area=0.5"}, "area-0.5"},
        {"exponent form", {"--area=5e-1"}, "area-0.5"},
    };
    CopySample("impedance_cell_B_02.csv");
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(c.what);
        Args args = c.options;
        args.push_back("impedance_cell_B_02.csv");
        const auto result = Run(args);
        EXPECT_EQ(0, result.exitStatus);
        EXPECT_EQ(ErrLine("1 file: 1 converted (13 rows)"), result.err);
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

// "Reduce File Name" would leave "+IV.txt" of a name that ends in an
// underscore: a name that tells nothing of its input, and one that every such
// file of a run would share. The full name is kept, and a note says so.
TEST_F(CliTest, ReduceNameKeepsANameThatWouldLoseEverything)
{
    WriteFileBytes(PathOf("abc_.idf"), IV_INPUT);
    WriteFileBytes(PathOf("cell_A_07.idf"), IV_INPUT);
    const auto result = Run({"--reduce-name", "abc_.idf", "cell_A_07.idf"});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(
        ErrLine(PathOf("abc_.idf") +
                ": --reduce-name keeps the full name abc_+IV.txt, as nothing follows the last underscore") +
            ErrLine("2 files: 2 converted (2 rows)"),
        result.err);
    EXPECT_EQ((std::vector<std::string>{"07+IV.txt", "abc_+IV.txt", "abc_.idf", "cell_A_07.idf"}), Listing());
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

    // 3, once 0: the run went through, and the files gave no full output.
    EXPECT_EQ(3, result.exitStatus);
    EXPECT_EQ(Progress("aborted_sweep.idf") + Progress("cv_export.csv"), result.out);
    // One warning a file stands for the message the dialog shows in a box.
    EXPECT_EQ(
        ErrLine(PathOf("aborted_sweep.idf") + ": no data: no \"primary_data\" line; the output is empty") +
            ErrLine(PathOf("cv_export.csv") + ": no data: no \"EIS\" row; the output is empty") +
            ErrLine("2 files: 0 converted (0 rows), 2 without data"),
        result.err);
    EXPECT_EQ("", ReadFileBytes("aborted_sweep+IV.txt"));
    EXPECT_EQ("", ReadFileBytes("cv_export+IV.txt"));
}

TEST_F(CliTest, FileOfNeitherKindIsListedButLeftAlone)
{
    WriteFileBytes(PathOf("notes.txt"), IV_INPUT);
    const auto result = Run({"notes.txt"});
    // 3, once 0: a file that is not converted gives no full output.
    EXPECT_EQ(3, result.exitStatus);
    EXPECT_EQ(Progress("notes.txt"), result.out);
    EXPECT_EQ(
        ErrLine(PathOf("notes.txt") + ": not converted: the path contains neither \".idf\" nor \".csv\"") +
            ErrLine("1 file: 0 converted (0 rows), 1 not converted"),
        result.err);
    EXPECT_EQ((std::vector<std::string>{"notes.txt"}), Listing());
}

// --- A file error -------------------------------------------------------------------------

// The lines that report a stop: the failing file with the reason, the
// count of the files after it, which did not run, then the summary. The
// failed file is counted apart, as the summary and the report count it.
void ExpectStopReport(const std::string& err, const std::string& failingPath, const std::string& namedPath,
                      const std::string& notRun, const std::string& summary)
{
    const std::string head = "quillmere-convert: stopped at " + failingPath + ": ";
    const std::string count = notRun.empty() ? std::string() : ErrLine(notRun);
    const std::size_t lineEnd = err.find('\n');
    ASSERT_NE(std::string::npos, lineEnd) << err;
    const std::string reason = err.substr(0, lineEnd);
    EXPECT_EQ(0u, reason.rfind(head, 0)) << err;
    EXPECT_NE(std::string::npos, reason.find(namedPath, head.size())) << err;
    EXPECT_GT(reason.size(), head.size() + failingPath.size()) << "no reason given: " << err;
    EXPECT_EQ(count + ErrLine(summary), err.substr(lineEnd + 1));
}

// An output name taken by a folder is a file error of that job alone.
void BlockOutput(const std::string& outputPath)
{
    fs::create_directory(outputPath);
}

TEST_F(CliTest, FileErrorStopsTheRunAtItsJob)
{
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    WriteFileBytes(PathOf("b.idf"), IV_INPUT);
    WriteFileBytes(PathOf("c.idf"), IV_INPUT);
    BlockOutput(PathOf("b+IV.txt"));
    const auto result = Run({"a.idf", "b.idf", "c.idf"});

    EXPECT_EQ(1, result.exitStatus);
    EXPECT_EQ(Progress("a.idf"), result.out);
    ExpectStopReport(result.err, PathOf("b.idf"), PathOf("b+IV.txt"), "1 of 3 files not run",
                     "3 files: 1 converted (1 row), 1 failed, 1 not run");
    EXPECT_EQ(IV_OUTPUT, ReadFileBytes("a+IV.txt"));
    EXPECT_FALSE(Exists("c+IV.txt"));
    EXPECT_TRUE(fs::is_directory(PathOf("b+IV.txt")));
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
        {"an empty file name", {"a.idf", ""}, "argument 2 is empty, not a file name"},
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
    // Writes MANY inputs; the output of `blocked` (none when it is -1) cannot be written.
    Args WriteInputs(int blocked)
    {
        Args names;
        for (int i = 0; i < MANY; ++i) {
            names.push_back(NumberedName(i));
            WriteFileBytes(PathOf(names.back()), IV_INPUT);
        }
        if (blocked >= 0) {
            BlockOutput(PathOf(NumberedOutput(blocked)));
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
    EXPECT_EQ(ErrLine("1,001 files: 1,001 converted (1,001 rows)"), result.err);
    EXPECT_EQ(ProgressUpTo(MANY), result.out);
    for (int i = 0; i < MANY; ++i) {
        ASSERT_EQ(IV_OUTPUT, ReadFileBytes(NumberedOutput(i))) << NumberedOutput(i);
    }
}

struct BatchStopCase {
    const char* what;
    int blocked;
    const char* notRun;
    const char* summary;
};

TEST_F(ManyFilesTest, StopCountsTheJobsOfLaterBatches)
{
    const BatchStopCase cases[] = {
        {"stop in the first batch", 500, "500 of 1,001 files not run",
         "1,001 files: 500 converted (500 rows), 1 failed, 500 not run"},
        {"stop in the second batch", MAX_JOBS, "", "1,001 files: 1,000 converted (1,000 rows), 1 failed"},
    };
    for (const BatchStopCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        const auto result = Run(WriteInputs(c.blocked));
        EXPECT_EQ(1, result.exitStatus);
        EXPECT_EQ(ProgressUpTo(c.blocked), result.out);
        ExpectStopReport(result.err, PathOf(NumberedName(c.blocked)), PathOf(NumberedOutput(c.blocked)),
                         c.notRun, c.summary);
        EXPECT_TRUE(Exists(NumberedOutput(c.blocked - 1)));
        EXPECT_TRUE(fs::is_directory(PathOf(NumberedOutput(c.blocked))));
        if (c.blocked + 1 < MANY) {
            EXPECT_FALSE(Exists(NumberedOutput(c.blocked + 1)));
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
