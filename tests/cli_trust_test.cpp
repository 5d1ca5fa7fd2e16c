// quillmere-convert as a process, on the cases where a run must not leave
// the user with a result they would wrongly trust: two files with one
// output, an area that is no number, inputs that are no files, outputs and
// work files that are the input, rows that are not there, a failing
// standard output, an interruption and a kill. Each case checks the exit
// status, the exact streams and every file the run may have touched.
#include <gtest/gtest.h>

#ifdef QUILLMERE_CONVERT_EXE

#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "batch/batch_checks.h"
#include "batch/job_table.h"
#include "cli/command_line.h"
#include "cli/run_report.h"
#include "platform/path.h"
#include "support/cli_util.h"
#include "support/test_util.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <csignal>
#endif

namespace {

namespace fs = std::filesystem;
using testutil::ErrLine;
using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;
using Args = std::vector<std::string>;
using Json = nlohmann::json;

using TrustTest = testutil::ConvertCliTest;

// A one-point sweep and what it gives with the area 1.0.
const std::string IV_INPUT = "primary_data\r\n3\r\n1\r\n1 2 3\r\n";
const std::string IV_OUTPUT = "1.000000,-2000.000000,3.000000\r\n";
// A sweep that announces 8 points and holds 3.
const std::string SHORT_INPUT = "primary_data\r\n3\r\n8\r\n1 2e-3 3\r\n4 5e-3 6\r\n7 8e-3 9\r\n";

const std::string USAGE_HINT = "Try 'quillmere-convert --help' for more information.\n";

// The names in the test folder that are no inputs: outputs, temporaries,
// the work file.
bool OnlyInputsLeft(const std::vector<std::string>& listing, const Args& inputs)
{
    std::vector<std::string> sorted = inputs;
    std::sort(sorted.begin(), sorted.end());
    return listing == sorted;
}

// --- Two files, one output -------------------------------------------------------------

struct Collision {
    const char* first;
    const char* second;
    const char* output;
};

struct CollisionCase {
    const char* what;
    Args files;
    Args args;
    std::vector<Collision> collisions;
    const char* advice;
};

const char* const REDUCED_ADVICE =
    "Leave out --reduce-name, or leave one of the files out of the command line.";
const char* const PLAIN_ADVICE = "Leave one of the files out of the command line, or rename it.";

TEST_F(TrustTest, TwoFilesWithOneOutputConvertNothing)
{
    const CollisionCase cases[] = {
        {"a sweep and an export of one name",
         {"cell_07.idf", "cell_07.csv"},
         {"cell_07.idf", "cell_07.csv"},
         {{"cell_07.idf", "cell_07.csv", "cell_07+IV.txt"}},
         PLAIN_ADVICE},
        // Once refused only when both paths were spelled alike.
        {"a sweep and an export of one name, one spelled with a dot part",
         {"cell_07.idf", "cell_07.csv"},
         {"cell_07.idf", "./cell_07.csv"},
         {{"cell_07.idf", "./cell_07.csv", "./cell_07+IV.txt"}},
         PLAIN_ADVICE},
        {"names that the shortening makes equal",
         {"a_07.idf", "b_07.idf"},
         {"--reduce-name", "a_07.idf", "b_07.idf"},
         {{"a_07.idf", "b_07.idf", "07+IV.txt"}},
         REDUCED_ADVICE},
        {"each later file is paired with the first",
         {"a_07.idf", "b_07.idf", "x.idf", "c_07.csv"},
         {"a_07.idf", "b_07.idf", "--reduce-name", "x.idf", "c_07.csv", "a_07.idf"},
         {{"a_07.idf", "b_07.idf", "07+IV.txt"}, {"a_07.idf", "c_07.csv", "07+IV.txt"}},
         REDUCED_ADVICE},
    };
    for (const CollisionCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove(entry.path());
        }
        for (const std::string& name : c.files) {
            WriteFileBytes(PathOf(name), name.ends_with(".idf") ? IV_INPUT : std::string("EIS,1\r\n"));
        }
        std::string expected =
            "Nothing was converted: different files would be written to the same output file, and each "
            "would replace the one before.\n\n";
        for (const Collision& collision : c.collisions) {
            expected += PathOf(collision.first) + "\n" + PathOf(collision.second) + "\n    both give " +
                        PathOf(collision.output) + "\n";
        }
        expected += std::string("\n") + c.advice;

        const auto result = Run(c.args);
        EXPECT_EQ(2, result.exitStatus);
        EXPECT_EQ("", result.out);
        EXPECT_EQ(ErrLine(expected), result.err);
        EXPECT_TRUE(OnlyInputsLeft(Listing(), c.files));
    }
}

TEST_F(TrustTest, CollisionsAreFoundAcrossBatches)
{
    // The first and the last of more files than one batch holds.
    Args names{"a_07.idf"};
    for (int i = 1; i < MAX_JOBS; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%04d.idf", i);
        names.push_back(name);
    }
    names.push_back("b_07.idf");
    for (const std::string& name : names) {
        WriteFileBytes(PathOf(name), IV_INPUT);
    }
    Args args{"--reduce-name"};
    args.insert(args.end(), names.begin(), names.end());

    const auto result = Run(args);
    EXPECT_EQ(2, result.exitStatus);
    EXPECT_EQ("", result.out);
    EXPECT_NE(std::string::npos, result.err.find(PathOf("a_07.idf") + "\n" + PathOf("b_07.idf") +
                                                 "\n    both give " + PathOf("07+IV.txt")))
        << result.err;
    EXPECT_TRUE(OnlyInputsLeft(Listing(), names));
}

// --- The area ---------------------------------------------------------------------------------

TEST_F(TrustTest, AreaThatIsNoNumberAboveZeroIsAUsageError)
{
    const char* const texts[] = {"0,196", "",    "abc",     "2x",    "0",     "-1",
                                 "inf",   "nan", "0.5 cm2", "1e-50", "1e-45", "0x1p-2"};
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        for (const Args& args :
             {Args{"--area", text, "a.idf"}, Args{std::string("--area=") + text, "a.idf"}}) {
            const auto result = Run(args);
            EXPECT_EQ(2, result.exitStatus);
            EXPECT_EQ("", result.out);
            EXPECT_EQ(
                ErrLine("option '--area' cannot take '" + std::string(text) + "': " + AREA_UNUSABLE_MESSAGE) +
                    USAGE_TEXT + USAGE_HINT,
                result.err);
            EXPECT_TRUE(OnlyInputsLeft(Listing(), {"a.idf"}));
        }
    }
}

// --- What became of each file ---------------------------------------------------------------

struct InputFile {
    std::string name;
    std::string bytes;
};

struct OutputFile {
    std::string name;
    std::optional<std::string> bytes;  // absent: no such file
};

struct OutcomeCase {
    const char* what;
    std::vector<InputFile> inputs;
    Args args;
    std::vector<OutputFile> outputs;
    // Lines of standard error, each after the program's name; "@" stands
    // for the test folder.
    std::vector<std::string> errLines;
};

// `text` with "@" as the test folder; "@/" is followed by this system's
// separator, as the program writes the paths it makes absolute.
std::string WithFolder(const std::string& text, const std::string& folder)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '@') {
            out += text[i];
            continue;
        }
        out += folder;
        if (i + 1 < text.size() && text[i + 1] == '/') {
            out += PATH_SEPARATOR;
            ++i;
        }
    }
    return out;
}

TEST_F(TrustTest, EachFileThatGivesNoFullOutputIsNamedAndCounted)
{
    const std::string big = testutil::IvInput(1200);
    const OutcomeCase cases[] = {
        {"a short sweep gives the points that are there",
         {{"short.idf", SHORT_INPUT}},
         {"--area=0.5", "short.idf"},
         {{"short+IV.txt",
           "1.000000,-4.000000,3.000000\r\n4.000000,-10.000000,6.000000\r\n7.000000,-16.000001,9."
           "000000\r\n"}},
         {"@/short.idf: short sweep: only 3 of the 8 announced points are in the file",
          "1 file: 0 converted (0 rows), 1 short (3 rows)"}},
        {"the largest count is only an upper bound",
         {{"huge.idf", "primary_data\r\n3\r\n2147483647\r\n1 2 3\r\n4 5 6\r\n7 8 9\r\n"}},
         {"huge.idf"},
         {{"huge+IV.txt",
           "1.000000,-2000.000000,3.000000\r\n4.000000,-5000.000000,6.000000\r\n7.000000,-8000.000000,9."
           "000000\r\n"}},
         {"@/huge.idf: short sweep: only 3 of the 2147483647 announced points are in the file",
          "1 file: 0 converted (0 rows), 1 short (3 rows)"}},
        {"a count of 0 gives an empty output",
         {{"zero.idf", "primary_data\r\n3\r\n0\r\n1 2 3\r\n"}},
         {"zero.idf"},
         {{"zero+IV.txt", ""}},
         {"@/zero.idf: no data: no positive point count after the \"primary_data\" line; the output is empty",
          "1 file: 0 converted (0 rows), 1 without data"}},
        {"capital markers are not converted",
         {{"CELL.IDF", IV_INPUT}},
         {"CELL.IDF"},
         {{"CELL+IV.txt", std::nullopt}},
         {"@/CELL.IDF: not converted: the path contains \".IDF\", but only \".idf\" and \".csv\" in small "
          "letters are converted",
          "1 file: 0 converted (0 rows), 1 not converted"}},
        {"the summary groups thousands and names each kind of outcome once",
         {{"big.idf", big}, {"short.idf", SHORT_INPUT}, {"zero.idf", "no marker\r\n"}, {"notes.txt", ""}},
         {"big.idf", "short.idf", "zero.idf", "notes.txt"},
         {{"zero+IV.txt", ""}, {"notes+IV.txt", std::nullopt}},
         {"@/short.idf: short sweep: only 3 of the 8 announced points are in the file",
          "@/zero.idf: no data: no \"primary_data\" line; the output is empty",
          "@/notes.txt: not converted: the path contains neither \".idf\" nor \".csv\"",
          "4 files: 1 converted (1,200 rows), 1 short (3 rows), 1 without data, 1 not converted"}},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string progress;
        for (const InputFile& input : c.inputs) {
            WriteFileBytes(PathOf(input.name), input.bytes);
            progress += Progress(input.name);
        }
        std::string err;
        for (const std::string& line : c.errLines) {
            err += ErrLine(WithFolder(line, Dir().string()));
        }
        const auto result = Run(c.args);
        // 3, once 0: the run went through, and these files gave no full output.
        EXPECT_EQ(3, result.exitStatus);
        EXPECT_EQ(progress, result.out);
        EXPECT_EQ(err, result.err);
        for (const OutputFile& output : c.outputs) {
            SCOPED_TRACE(output.name);
            ASSERT_EQ(output.bytes.has_value(), Exists(output.name));
            if (output.bytes) {
                EXPECT_EQ(*output.bytes, ReadFileBytes(output.name));
            }
        }
        EXPECT_FALSE(Exists(WORK_FILE_NAME));
    }
}

// --- Files that cannot be used: nothing runs ----------------------------------------------------

struct UnusableCase {
    const char* what;
    std::function<void()> make;  // makes the unusable file, or nothing for a missing one
    const char* name;
    const char* reason;
};

// (A folder was unusable too; it now stands for its data files, as a folder
// dropped on the dialog does.)
TEST_F(TrustTest, UnusableFilesStopTheRunBeforeAnyFile)
{
    const UnusableCase cases[] = {
        {"a missing file", [] {}, "Sweep_07.IDF", "no such file"},
#ifndef _WIN32
        {"a pipe, which would never end", [this] { mkfifo(PathOf("p.idf").c_str(), 0600); }, "p.idf",
         "it is not a regular file (a pipe, device or socket)"},
        {"a link to nothing", [this] { fs::create_symlink("gone.idf", Dir() / "link.idf"); }, "link.idf",
         "no such file"},
#endif
    };
    for (const UnusableCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        WriteFileBytes(PathOf("a.idf"), IV_INPUT);
        WriteFileBytes(PathOf("c.idf"), IV_INPUT);
        c.make();
        const auto before = Listing();

        const auto result = Run({"a.idf", c.name, "c.idf"});
        EXPECT_EQ(1, result.exitStatus);
        EXPECT_EQ("", result.out);
        EXPECT_EQ(ErrLine("cannot convert " + PathOf(c.name) + ": " + c.reason) +
                      ErrLine("nothing was converted: 1 of the 3 files cannot be used"),
                  result.err);
        EXPECT_EQ(before, Listing());
    }
}

// --- Outputs and work files that are the input ---------------------------------------------------

struct RefusalCase {
    const char* what;
    std::function<void()> make;
    const char* workDir;  // within the test folder
    const char* input;    // as given, relative to workDir
    const char* refused;  // the path named, relative to the test folder, or the work file's bare name
    const char* reason;
    // Files whose bytes must stay, and links that must stay links.
    Args intact;
    Args links;
};

TEST_F(TrustTest, NoOutputOrWorkFileIsWrittenOntoAnInput)
{
#ifdef _WIN32
    GTEST_SKIP() << "made with symbolic links, which Windows gives only to administrators";
#else
    const RefusalCase cases[] = {
        {"an output name that links to the input",
         [this] { fs::create_symlink("v.idf", Dir() / "v+IV.txt"); },
         ".",
         "v.idf",
         "@/v+IV.txt",
         "it is the input file itself, under another name or through a link",
         {"v.idf"},
         {"v+IV.txt"}},
        {"an output name that is a second name of the input",
         [this] { fs::create_hard_link(Dir() / "v.idf", Dir() / "v+IV.txt"); },
         ".",
         "v.idf",
         "@/v+IV.txt",
         "it is the input file itself, under another name or through a link",
         {"v.idf", "v+IV.txt"},
         {}},
        {"an input named like the work file, in a folder whose path holds .idf",
         [this] { fs::copy_file(Dir() / "v.idf", Dir() / "d.idf" / "123.xqrtmp"); },
         "d.idf",
         "123.xqrtmp",
         "123.xqrtmp",
         "it is the input file itself, under another name",
         {"d.idf/123.xqrtmp"},
         {}},
        {"a work file name that links elsewhere",
         [this] {
             WriteFileBytes(PathOf("thesis.txt"), "my thesis\r\n");
             fs::create_symlink("../thesis.txt", Dir() / "d.idf" / "123.xqrtmp");
             fs::copy_file(Dir() / "v.idf", Dir() / "d.idf" / "a.idf");
         },
         "d.idf",
         "a.idf",
         "123.xqrtmp",
         "the work file's name is taken by a link or a file that is not a regular one",
         {"thesis.txt", "v.idf"},
         {"d.idf/123.xqrtmp"}},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        WriteFileBytes(PathOf("v.idf"), IV_INPUT);
        fs::create_directory(Dir() / "d.idf");
        c.make();
        std::vector<std::string> bytes;
        for (const std::string& name : c.intact) {
            bytes.push_back(ReadFileBytes(PathOf(name)));
        }

        const fs::path workDir = Dir() / c.workDir;
        const auto result = testutil::RunProcess(QUILLMERE_CONVERT_EXE, {c.input}, workDir);
        const std::string input = (workDir / c.input).lexically_normal().string();
        EXPECT_EQ(1, result.exitStatus);
        EXPECT_EQ("", result.out);
        EXPECT_EQ(ErrLine("stopped at " + input + ": refusing to use " +
                          WithFolder(c.refused, Dir().string()) + ": " + c.reason) +
                      ErrLine("1 file: 0 converted (0 rows), 1 failed"),
                  result.err);
        for (std::size_t i = 0; i < c.intact.size(); ++i) {
            EXPECT_EQ(bytes[i], ReadFileBytes(PathOf(c.intact[i]))) << c.intact[i];
        }
        for (const std::string& link : c.links) {
            EXPECT_TRUE(fs::is_symlink(Dir() / link)) << link;
        }
        for (const auto& entry : fs::recursive_directory_iterator(Dir())) {
            EXPECT_EQ(std::string::npos, entry.path().string().find(".unfinished")) << entry.path();
        }
    }
#endif
}

// --- Standard output that cannot be written -----------------------------------------------------

struct StdoutCase {
    const char* what;
    Args args;
    bool converts;
};

TEST_F(TrustTest, FailedWriteToStandardOutputIsAnError)
{
    const StdoutCase cases[] = {
        {"a conversion", {"a.idf"}, true},
        {"the help", {"--help"}, false},
        {"the version", {"--version"}, false},
    };
    std::vector<testutil::StdoutTarget> targets{testutil::StdoutTarget::unwritable};
#ifndef _WIN32
    if (fs::is_character_file("/dev/full")) {
        targets.push_back(testutil::StdoutTarget::fullDevice);
    }
#endif
    for (const testutil::StdoutTarget target : targets) {
        for (const StdoutCase& c : cases) {
            SCOPED_TRACE(c.what);
            fs::remove(PathOf("a+IV.txt"));
            WriteFileBytes(PathOf("a.idf"), IV_INPUT);
            const auto result = Run(c.args, target);
            EXPECT_EQ(1, result.exitStatus);
            const std::string message = ErrLine("cannot write to standard output");
            const std::size_t at = result.err.find(message.substr(0, message.size() - 1) + ": ");
            EXPECT_NE(std::string::npos, at) << result.err;
            if (c.converts) {
                // The files are converted all the same; only the progress lines are lost.
                EXPECT_EQ(IV_OUTPUT, ReadFileBytes("a+IV.txt"));
                EXPECT_TRUE(result.err.ends_with(ErrLine("1 file: 1 converted (1 row)"))) << result.err;
            }
        }
    }
}

// --- The report ------------------------------------------------------------------------------------

Json ReadReport(const std::string& path)
{
    return Json::parse(ReadFileBytes(path));
}

TEST_F(TrustTest, ReportTellsTheSettingsAndEveryFile)
{
    CopySample("impedance_cell_B_02.csv");
    WriteFileBytes(PathOf("short_1.idf"), SHORT_INPUT);
    WriteFileBytes(PathOf("CELL.IDF"), IV_INPUT);
    const auto result = Run({"--area", "0.5", "--reduce-name", "--report", "run.json",
                             "impedance_cell_B_02.csv", "short_1.idf", "CELL.IDF"});
    // 3, once 0: two of the files gave no full output.
    ASSERT_EQ(3, result.exitStatus) << result.err;
    const Json report = ReadReport("run.json");

    EXPECT_EQ("quillmere-convert", report["program"]);
    EXPECT_EQ(QUILLMERE_VERSION, report["version"]);
    EXPECT_EQ(0.5, report["settings"]["area"]);
    EXPECT_EQ("0.5", report["settings"]["areaText"]);
    EXPECT_EQ(true, report["settings"]["reduceName"]);
    EXPECT_EQ(false, report["settings"]["recursive"]);
    EXPECT_TRUE(report["settings"]["outputDirectory"].is_null());
    EXPECT_EQ(Dir().string(), report["settings"]["currentDirectory"]);
    EXPECT_EQ("123.xqrtmp", report["settings"]["workFile"]);
    EXPECT_EQ("completed", report["result"]);
    EXPECT_EQ(3, report["exitStatus"]);
    EXPECT_TRUE(report["error"].is_null());
    EXPECT_EQ(Json::parse(R"({"files": 3, "converted": 1, "short": 1, "noData": 0, "notConverted": 1,
                              "nonFinite": 0, "unusable": 0, "failed": 0, "notRun": 0, "rows": 16})"),
              report["summary"]);
    EXPECT_EQ(Json::array(), report["collisions"]);

    const Json expectedFiles = {
        {{"input", PathOf("impedance_cell_B_02.csv")},
         {"output", PathOf("02+IV.txt")},
         {"kind", "impedance"},
         {"columns", {"frequency / Hz", "Z' * area / ohm*area", "-Z'' * area / ohm*area"}},
         {"rows", 13},
         {"pointsAnnounced", nullptr},
         {"outcome", "converted"},
         {"message", nullptr},
         {"zeroedValues", 0},
         {"fewDigitValues", 0},
         {"plot", nullptr}},
        {{"input", PathOf("short_1.idf")},
         {"output", PathOf("1+IV.txt")},
         {"kind", "current-voltage"},
         {"columns",
          {"first value / unit as read", "-1000 * current / area / mA per area",
           "third value / unit as read"}},
         {"rows", 3},
         {"pointsAnnounced", 8},
         {"outcome", "short"},
         {"message", "only 3 of the 8 announced points are in the file"},
         {"zeroedValues", 0},
         {"fewDigitValues", 0},
         {"plot", nullptr}},
        {{"input", PathOf("CELL.IDF")},
         {"output", PathOf("CELL+IV.txt")},
         {"kind", nullptr},
         {"columns", nullptr},
         {"rows", 0},
         {"pointsAnnounced", nullptr},
         {"outcome", "notConverted"},
         {"message",
          "the path contains \".IDF\", but only \".idf\" and \".csv\" in small letters are converted"},
         {"zeroedValues", 0},
         {"fewDigitValues", 0},
         {"plot", nullptr}},
    };
    EXPECT_EQ(expectedFiles, report["files"]);
    EXPECT_FALSE(Exists("run.json.unfinished"));
}

TEST_F(TrustTest, ReportOfARunThatStoppedOrNeverStarted)
{
    WriteFileBytes(PathOf("a.idf"), IV_INPUT);
    WriteFileBytes(PathOf("b.idf"), IV_INPUT);
    WriteFileBytes(PathOf("c.idf"), IV_INPUT);
    fs::create_directory(PathOf("b+IV.txt"));
    auto result = Run({"--report=r.json", "a.idf", "b.idf", "c.idf"});
    EXPECT_EQ(1, result.exitStatus);
    Json report = ReadReport("r.json");
    EXPECT_EQ("stopped", report["result"]);
    EXPECT_EQ(1, report["exitStatus"]);
    const std::string error = report["error"];
    EXPECT_EQ(0u, error.find("refusing to use " + PathOf("b+IV.txt"))) << error;
    EXPECT_EQ("converted", report["files"][0]["outcome"]);
    EXPECT_EQ("failed", report["files"][1]["outcome"]);
    EXPECT_EQ(error, report["files"][1]["message"]);
    EXPECT_EQ("notRun", report["files"][2]["outcome"]);
    EXPECT_EQ(PathOf("c+IV.txt"), report["files"][2]["output"]);

    result = Run({"--report=r.json", "a.idf", "missing.idf"});
    EXPECT_EQ(1, result.exitStatus);
    report = ReadReport("r.json");
    EXPECT_EQ("inputsUnusable", report["result"]);
    EXPECT_EQ("notRun", report["files"][0]["outcome"]);
    EXPECT_EQ("unusable", report["files"][1]["outcome"]);
    EXPECT_EQ("no such file", report["files"][1]["message"]);

    WriteFileBytes(PathOf("x_1.idf"), IV_INPUT);
    WriteFileBytes(PathOf("y_1.idf"), IV_INPUT);
    result = Run({"--report=r.json", "--reduce-name", "x_1.idf", "y_1.idf"});
    EXPECT_EQ(2, result.exitStatus);
    report = ReadReport("r.json");
    EXPECT_EQ("outputsCollide", report["result"]);
    EXPECT_EQ(2, report["exitStatus"]);
    // Built as JSON values, so a path's backslashes need no escaping here.
    const Json collision = {{"firstInput", PathOf("x_1.idf")},
                            {"secondInput", PathOf("y_1.idf")},
                            {"output", PathOf("1+IV.txt")}};
    EXPECT_EQ(Json::array({collision}), report["collisions"]);
    EXPECT_FALSE(Exists("1+IV.txt"));
}

struct ReportPlaceCase {
    const char* what;
    std::function<void()> make;
    Args options;        // before the report's own option
    const char* report;  // as typed
    // The usage error, after the program's name; "@" stands for the test
    // folder, "%" for a separator the program put in.
    const char* err;
};

// A report that would replace a file of the run, or that could never be
// written, is a usage error before anything is converted, however its path
// is spelled.
TEST_F(TrustTest, ReportIsCheckedBeforeAnythingIsConverted)
{
    const ReportPlaceCase cases[] = {
        {"the input", [] {}, {}, "a.idf", "the report @/a.idf would replace the input @/a.idf"},
        {"the input through a dot-dot part",
         [this] { fs::create_directory(Dir() / "sub"); },
         {},
         "sub/../a.idf",
         "the report @/sub/../a.idf would replace the input @/a.idf"},
        {"the output", [] {}, {}, "a+IV.txt", "the report @/a+IV.txt would replace the output @/a+IV.txt"},
        // Once the report replaced the converted data, with exit status 0.
        {"the output through a dot part",
         [] {},
         {},
         "./a+IV.txt",
         "the report @/./a+IV.txt would replace the output @/a+IV.txt"},
        {"the output in the output folder",
         [this] { fs::create_directory(Dir() / "out"); },
         {"--output-dir", "out"},
         "out//a+IV.txt",
         "the report @/out//a+IV.txt would replace the output @/out%a+IV.txt"},
        {"the work file",
         [] {},
         {},
         "123.xqrtmp",
         "the report @/123.xqrtmp would replace the work file @/123.xqrtmp"},
        {"the work file in the output folder",
         [this] { fs::create_directory(Dir() / "out"); },
         {"--output-dir=out"},
         "out/123.xqrtmp",
         "the report @/out/123.xqrtmp would replace the work file @/out%123.xqrtmp"},
        {"a folder",
         [this] { fs::create_directory(Dir() / "r.json"); },
         {},
         "r.json",
         "the report @/r.json is a folder"},
        {"a folder that does not exist",
         [] {},
         {},
         "no/r.json",
         "the report @/no/r.json cannot be written: the folder @/no/ does not exist"},
#ifndef _WIN32
        {"a pipe",
         [this] { mkfifo(PathOf("r.json").c_str(), 0600); },
         {},
         "r.json",
         "the report @/r.json is not a regular file (a pipe, device or socket)"},
        {"a link to the input",
         [this] { fs::create_symlink("a.idf", Dir() / "r.json"); },
         {},
         "r.json",
         "the report @/r.json would replace the input @/a.idf"},
#endif
    };
    for (const ReportPlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) {
            fs::remove_all(entry.path());
        }
        WriteFileBytes(PathOf("a.idf"), IV_INPUT);
        c.make();
        const auto before = Listing();
        Args args = c.options;
        args.insert(args.end(), {"--report", c.report, "a.idf"});
        const auto result = Run(args);
        EXPECT_EQ(2, result.exitStatus);
        EXPECT_EQ("", result.out);
        std::string err = WithFolder(c.err, Dir().string());
        std::replace(err.begin(), err.end(), '%', PATH_SEPARATOR);
        EXPECT_EQ(ErrLine(err) + USAGE_TEXT + USAGE_HINT, result.err);
        EXPECT_EQ(before, Listing());
        EXPECT_EQ(IV_INPUT, ReadFileBytes("a.idf"));
    }
}

#ifndef _WIN32
TEST_F(TrustTest, ReportKeepsPathsThatAreNotUtf8)
{
    const std::string name = "caf\xe9_1.idf";
    WriteFileBytes(PathOf(name), IV_INPUT);
    const auto result = Run({"--report", "r.json", name});
    ASSERT_EQ(0, result.exitStatus) << result.err;
    const Json report = ReadReport("r.json");
    const Json& file = report["files"][0];
    EXPECT_EQ(Dir().string() + "/caf\xef\xbf\xbd_1.idf", file["input"]);
    std::string hex;
    for (const char ch : PathOf(name)) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(ch));
        hex += digits;
    }
    EXPECT_EQ(hex, file["inputBytes"]);
    EXPECT_TRUE(file.contains("outputBytes"));
    EXPECT_FALSE(report["settings"].contains("currentDirectoryBytes"));
}
#endif

// --- Interruptions and kills -------------------------------------------------------------------------

#ifndef _WIN32

// Points in the large input: a few megabytes, a fraction of a second's work.
constexpr int LARGE_POINTS = 200000;

class InterruptionTest : public TrustTest {
protected:
    void SetUp() override
    {
        TrustTest::SetUp();
        WriteFileBytes(PathOf("big.idf"), testutil::IvInput(LARGE_POINTS));
    }
    // Removes what a killed run leaves: the work file and the temporaries.
    void RemoveLeftovers() const
    {
        for (const auto& entry : fs::directory_iterator(Dir())) {
            const std::string name = entry.path().filename().string();
            if (name == WORK_FILE_NAME || name.find(".unfinished") != std::string::npos) {
                fs::remove(entry.path());
            }
        }
    }
    bool HasLeftovers() const
    {
        for (const auto& entry : fs::directory_iterator(Dir())) {
            const std::string name = entry.path().filename().string();
            if (name == WORK_FILE_NAME || name.find(".unfinished") != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    // The size of `name` in the test folder, 0 when it is not there.
    std::uintmax_t SizeOf(const std::string& name) const
    {
        std::error_code failure;
        const std::uintmax_t size = fs::file_size(Dir() / name, failure);
        return failure ? 0 : size;
    }
};

struct SignalCase {
    int signal;
    int exitStatus;
};

TEST_F(InterruptionTest, InterruptionRemovesWhatIsUnfinished)
{
    const std::string earlier = "an earlier output\r\n";
    const SignalCase cases[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(c.signal);
        RemoveLeftovers();
        WriteFileBytes(PathOf("big+IV.txt"), earlier);
        testutil::ChildProcess child(QUILLMERE_CONVERT_EXE, {"big.idf"}, Dir());
        // Once the filter writes, the work file is noted as this run's: the
        // lock makes it empty a moment before.
        const bool working = testutil::WaitWhileRunning(child, [this] { return SizeOf(WORK_FILE_NAME) > 0; });
        ASSERT_TRUE(working) << "the run ended before it could be interrupted";
        child.Signal(c.signal);
        const auto result = child.Wait();

        EXPECT_EQ(c.exitStatus, result.exitStatus);
        EXPECT_TRUE(result.err.ends_with(ErrLine("interrupted: " + PathOf("big.idf") + " was not finished")))
            << result.err;
        EXPECT_FALSE(HasLeftovers()) << testing::PrintToString(Listing());
        EXPECT_EQ(earlier, ReadFileBytes("big+IV.txt"));
    }
}

// A kill leaves no chance to clean up: the work file and the temporary may
// stay, but the output's own name holds nothing but a complete output.
struct KillMoment {
    const char* what;
    std::function<bool()> reached;
};

TEST_F(InterruptionTest, KillLeavesNoPartialOutputUnderTheOutputsName)
{
    // The complete output, and a different complete one as an earlier run's.
    ASSERT_EQ(0, Run({"big.idf"}).exitStatus);
    const std::string complete = ReadFileBytes("big+IV.txt");
    ASSERT_EQ(0, Run({"--area", "0.5", "big.idf"}).exitStatus);
    const std::string earlier = ReadFileBytes("big+IV.txt");
    ASSERT_NE(complete, earlier);
    const std::uintmax_t inputSize = SizeOf("big.idf");

    const KillMoment moments[] = {
        {"once the work file is there", [] { return Exists(WORK_FILE_NAME); }},
        {"half way through the filter", [&] { return SizeOf(WORK_FILE_NAME) >= inputSize / 2; }},
        {"once the output is begun", [] { return Exists("big+IV.txt.unfinished"); }},
        {"half way through the output",
         [&] { return SizeOf("big+IV.txt.unfinished") >= complete.size() / 2; }},
    };
    int cutWhileWriting = 0;
    for (const bool withEarlier : {false, true}) {
        for (const KillMoment& moment : moments) {
            SCOPED_TRACE(std::string(moment.what) + (withEarlier ? ", earlier output there" : ""));
            RemoveLeftovers();
            if (withEarlier) {
                WriteFileBytes(PathOf("big+IV.txt"), earlier);
            } else {
                fs::remove(PathOf("big+IV.txt"));
            }
            testutil::ChildProcess child(QUILLMERE_CONVERT_EXE, {"big.idf"}, Dir());
            testutil::WaitWhileRunning(child, moment.reached);
            child.Signal(SIGKILL);
            const auto result = child.Wait();
            if (result.exitStatus == 128 + SIGKILL && Exists("big+IV.txt.unfinished")) {
                ++cutWhileWriting;
            }
            if (!Exists("big+IV.txt")) {
                EXPECT_FALSE(withEarlier) << "the earlier output is gone";
                continue;
            }
            const std::string left = ReadFileBytes("big+IV.txt");
            EXPECT_TRUE(left == complete || (withEarlier && left == earlier))
                << "a file of " << left.size() << " bytes under the output's name";
        }
    }
    RecordProperty("killsWhileWriting", cutWhileWriting);
    EXPECT_GT(cutWhileWriting, 0) << "no kill landed while an output was being written";
    RemoveLeftovers();
}

#endif

}  // namespace

#endif
