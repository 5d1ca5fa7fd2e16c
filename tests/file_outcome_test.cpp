// What the converters' findings make of a file's outcome: the result, the
// kind, the counts and the plain words the user is shown.
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "batch/messages.h"
#include "engine/convert_file.h"
#include "support/test_util.h"

#ifdef QUILLMERE_CONVERT_EXE
#include <nlohmann/json.hpp>

#include "support/cli_util.h"
#endif

namespace {

using testutil::ScopedAreaSettings;
using testutil::WriteFileBytes;

struct OutcomeCase {
    const char* name;
    const char* input;    // the input's name: its marker picks the converter
    std::string content;  // the input's bytes
    FileResult result;
    const char* kind;
    long long rows;
    std::string message;
    float area = 1.0f;
    long long nonFinite = 0;
};

void PrintTo(const OutcomeCase& c, std::ostream* out)
{
    *out << c.name;
}

class FileOutcomeTest : public testutil::TempDirTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(FileOutcomeTest, SaysWhatBecameOfTheFile)
{
    const OutcomeCase& c = GetParam();
    ScopedAreaSettings area(c.area, 1);
    WriteFileBytes(c.input, c.content);
    FileOutcome outcome;
    ConvertFile(PathOf(c.input).c_str(), PathOf("out.txt").c_str(), outcome);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.kind.str(), c.kind);
    EXPECT_EQ(outcome.rows, c.rows);
    EXPECT_EQ(outcome.message.str(), c.message);
    EXPECT_EQ(outcome.nonFiniteValues, c.nonFinite);
    // The dialog's end-of-run box names every file that is not plainly converted.
    EXPECT_EQ(ProblemFilesMessage({outcome}).IsEmpty(), c.result == FileResult::converted);
}

const std::string STOPPED_SWEEP =
    "hdr\r\nprimary_data\r\n3\r\n6\r\n1.0 2.0e-3 0.0\r\n2.0 3.0e-3 1.0\r\n3.0 4.0e-3 2.0\r\n"
    "[Stop]\r\nendtime=03/11/2025 09:14:12\r\nstatus=aborted\r\n";

INSTANTIATE_TEST_SUITE_P(
    TextLines, FileOutcomeTest,
    ::testing::Values(OutcomeCase{"StoppedSweepIsShort", "stopped.idf", STOPPED_SWEEP, FileResult::shortSweep,
                                  IV_KIND, 3,
                                  "only 3 of the 6 announced points are in the file; 3 lines within the "
                                  "count held no numbers"},
                      OutcomeCase{"OneTextLineIsNamedInTheSingular", "one.idf",
                                  "primary_data\r\nx\r\n2\r\n1 2 3\r\n[Stop]\r\n", FileResult::shortSweep,
                                  IV_KIND, 1,
                                  "only 1 of the 2 announced points are in the file; 1 line within the count "
                                  "held no numbers"}),
    [](const ::testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; });

const std::string IV_HEAD = "primary_data\r\nx\r\n2\r\n";
const std::string EIS_HEAD = "h\r\n";
const std::string IMPEDANCE_IDF_HEAD = "Method=Impedance\r\nprimary_data\r\nx\r\n2\r\n";

// Values that the area turns into infinities are kept in the output but the
// file is not plainly converted; infinities that the file itself holds are
// no fault of the conversion.
INSTANTIATE_TEST_SUITE_P(
    NonFinite, FileOutcomeTest,
    ::testing::Values(
        OutcomeCase{
            "SmallAreaOverflowsACurrent", "a.idf", IV_HEAD + "1 1e10 3\r\n1 1e-20 3\r\n",
            FileResult::nonFinite, IV_KIND, 2,
            "1 value became infinite or not a number from finite values in the file (the area is too small "
            "or too large for them); they are written as inf or nan",
            1e-30f, 1},
        OutcomeCase{
            "LargeAreaOverflowsBothImpedanceParts", "b.csv",
            EIS_HEAD + "0,0,EIS,0,0,0,1000,0,0,1e30,-1e30\r\n0,0,EIS,0,0,0,10,0,0,1,-1\r\n",
            FileResult::nonFinite, EIS_KIND, 2,
            "2 values became infinite or not a number from finite values in the file (the area is too "
            "small or too large for them); they are written as inf or nan",
            1e30f, 2},
        OutcomeCase{
            "ImpedanceIdfOverflowAndShort", "c.idf", IMPEDANCE_IDF_HEAD + "3e38 1 100\r\n[Stop]\r\n",
            FileResult::nonFinite, EIS_KIND, 1,
            "1 value became infinite or not a number from finite values in the file (the area is too small "
            "or too large for them); they are written as inf or nan; only 1 of the 2 announced points are "
            "in the file; 1 line within the count held no numbers",
            2.0f, 1},
        OutcomeCase{"InfinityReadFromTheFileIsNoFault", "d.idf", IV_HEAD + "1 inf 3\r\n1 -nan 3\r\n",
                    FileResult::converted, IV_KIND, 2, "", 1.0f, 0}),
    [](const ::testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; });

#ifdef QUILLMERE_CONVERT_EXE

using Json = nlohmann::json;
using FileOutcomeCliTest = testutil::ConvertCliTest;

// Through the program: the warning line, the summary and the report.
TEST_F(FileOutcomeCliTest, InfiniteValuesAreWarnedAboutAndReported)
{
    WriteFileBytes("s.idf", IV_HEAD + "1 1e10 3\r\n2 0 3\r\n");
    const auto result = Run({"--area", "1e-30", "--report", "run.json", "s.idf"});
    EXPECT_NE(result.err.find(testutil::ErrLine(
                  PathOf("s.idf") +
                  ": infinite values: 1 value became infinite or not a number from finite values in the file "
                  "(the area is too small or too large for them); they are written as inf or nan")),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("1 file: 0 converted (0 rows), 1 with infinite values (2 rows)"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(testutil::ReadFileBytes("s+IV.txt"),
              "1.000000,-inf,3.000000\r\n2.000000,-0.000000,3.000000\r\n");
    const Json report = Json::parse(testutil::ReadFileBytes("run.json"));
    EXPECT_EQ(report["files"][0]["outcome"], "nonFinite");
    EXPECT_EQ(report["summary"]["nonFinite"], 1);
}

// A short impedance run is named as what it is, not as a sweep.
TEST_F(FileOutcomeCliTest, ShortImpedanceRunIsNamedSo)
{
    WriteFileBytes("run.idf", "Method=Impedance\r\nprimary_data\r\nx\r\n3\r\n10 -5 1000\r\n");
    const auto result = Run({"run.idf"});
    EXPECT_NE(result.err.find(testutil::ErrLine(
                  PathOf("run.idf") + ": short impedance run: only 1 of the 3 announced points are in "
                                      "the file")),
              std::string::npos)
        << result.err;
    EXPECT_EQ(testutil::ReadFileBytes("run+IV.txt"), "1000.000000 10.000000 5.000000\r\n");
}

#endif

}  // namespace
