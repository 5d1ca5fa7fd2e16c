// Small values: what the six-decimal form loses of them, counted per file,
// the warning when a file loses more than 1% of its non-zero values, and the
// scientific form that keeps them.
#include <cmath>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/messages.h"
#include "engine/convert_file.h"
#include "engine/row_file_sink.h"
#include "support/test_util.h"

#ifdef QUILLMERE_CONVERT_EXE
#include <nlohmann/json.hpp>

#include "support/cli_util.h"
#endif

namespace {

namespace fs = std::filesystem;
using testutil::ReadFileBytes;
using testutil::ScopedAreaSettings;
using testutil::ScopedNumberForm;
using testutil::WriteFileBytes;

const fs::path SAMPLES = fs::path(QUILLMERE_SOURCE_DIR) / "samples";
const fs::path DATA = QUILLMERE_TEST_DATA;
constexpr const char* MICROELECTRODE = "microelectrode_cell_D_04.idf";

TEST(SignificantDigitsKeptTest, CountsFromTheFirstNonZeroDigitThroughTheSixthDecimal)
{
    const struct {
        const char* text;
        int kept;
    } cases[] = {
        {"0.000000", 0}, {"-0.000000", 0}, {"0.000001", 1}, {"-0.000012", 2},  {"0.000123", 3},
        {"0.100000", 6}, {"-0.010200", 5}, {"1.000000", 7}, {"-25.500000", 7}, {"inf", 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SignificantDigitsKept(c.text), c.kept) << c.text;
    }
}

struct SinkCase {
    const char* name;
    NumberForm form;
    std::vector<double> values;  // three per row
    std::string bytes;           // as written, "\n" standing for CR LF
    long long nonZero, zeroed, fewDigits;
};

void PrintTo(const SinkCase& c, std::ostream* out)
{
    *out << c.name;
}

class RowFileSinkTest : public testutil::TempDirTest, public ::testing::WithParamInterface<SinkCase> {};

TEST_P(RowFileSinkTest, WritesTheFormAndCountsWhatItLoses)
{
    const SinkCase& c = GetParam();
    ConversionReport report;
    {
        CLineFile file;
        OpenOrThrow(file, "out.txt", CREATE_TEXT);
        CRowFileSink sink(file, c.form, report);
        sink.Begin(RowKind::currentVoltage);
        for (std::size_t i = 0; i + 2 < c.values.size(); i += 3) {
            sink.Row(c.values[i], c.values[i + 1], c.values[i + 2]);
        }
        file.Close();
    }
    EXPECT_EQ(ReadFileBytes("out.txt"), testutil::Crlf(c.bytes));
    EXPECT_EQ(report.nonZeroValues, c.nonZero);
    EXPECT_EQ(report.zeroedValues, c.zeroed);
    EXPECT_EQ(report.fewDigitValues, c.fewDigits);
}

// Zeros, infinities and NaN are not counted at all; a value that rounds
// up to 0.000001 keeps one digit; 0.0000005 is a tie that rounds to even.
INSTANTIATE_TEST_SUITE_P(
    Forms, RowFileSinkTest,
    ::testing::Values(
        SinkCase{"FixedLosesMicroampsPerArea",
                 NumberForm::fixed,
                 {1e-10, -4e-7, 1.2e-5, 6.5e-7, 0.000123, 0.0},
                 "0.000000,-0.000000,0.000012\n0.000001,0.000123,0.000000\n",
                 5,
                 2,
                 2},
        SinkCase{"FixedTieAndLargeValues",
                 NumberForm::fixed,
                 {5e-7, -0.0, 1234.5, 0.5, -1.0, 3e9},
                 "0.000000,-0.000000,1234.500000\n0.500000,-1.000000,3000000000.000000\n",
                 5,
                 1,
                 0},
        SinkCase{"NonFiniteValuesAreNotCounted",
                 NumberForm::fixed,
                 {INFINITY, -INFINITY, NAN},
                 "inf,-inf,nan\n",
                 0,
                 0,
                 0},
        SinkCase{"ScientificKeepsEveryDigit",
                 NumberForm::scientific,
                 {1e-10, -4e-7, 1.2e-5, 0.0, -0.0, 1e300},
                 "1.000000e-10,-4.000000e-07,1.200000e-05\n0.000000e+00,-0.000000e+00,1.000000e+300\n",
                 4,
                 0,
                 0}),
    [](const ::testing::TestParamInfo<SinkCase>& info) { return info.param.name; });

// ---- the warning -------------------------------------------------------------

std::string Rows(const std::string& first, const std::string& rest, int restCount)
{
    std::string text = "primary_data\r\nx\r\n" + std::to_string(restCount + 1) + "\r\n" + first + "\r\n";
    for (int i = 0; i < restCount; ++i) text += rest + "\r\n";
    return text;
}

const std::string MICROELECTRODE_WARNING =
    "20 of its 121 non-zero values come out as 0.000000 or -0.000000 and 21 more with fewer than three "
    "significant digits; the scientific number format keeps them (quillmere-convert --scientific, or "
    "\"Scientific number format\" in the dialog's right-click menu)";

struct WarningCase {
    const char* name;
    std::string content;  // a sweep
    bool scientific;
    long long nonZero, zeroed, fewDigits;
    std::string warning;
};

void PrintTo(const WarningCase& c, std::ostream* out)
{
    *out << c.name;
}

class SmallValuesWarningTest : public testutil::TempDirTest,
                               public ::testing::WithParamInterface<WarningCase> {};

TEST_P(SmallValuesWarningTest, WarnsBeyondOnePercentAndLeavesTheResult)
{
    const WarningCase& c = GetParam();
    ScopedAreaSettings area(1.0f, 1);
    ScopedNumberForm form(c.scientific);
    WriteFileBytes("in.idf", c.content);
    FileOutcome outcome;
    ConvertFile(PathOf("in.idf").c_str(), PathOf("out.txt").c_str(), outcome);
    EXPECT_EQ(outcome.result, FileResult::converted);
    EXPECT_EQ(outcome.nonZeroValues, c.nonZero);
    EXPECT_EQ(outcome.zeroedValues, c.zeroed);
    EXPECT_EQ(outcome.fewDigitValues, c.fewDigits);
    EXPECT_EQ(outcome.smallValuesWarning.str(), c.warning);
    // The dialog's end-of-run box: a paragraph of its own, and only then.
    const std::string message = SmallValuesMessage({outcome}).str();
    EXPECT_EQ(message, c.warning.empty() ? ""
                                         : "This file lost small values:\r\n\r\n" + PathOf("in.idf") + ": " +
                                               c.warning + "\r\n");
    EXPECT_EQ(ProblemFilesMessage({outcome}).str(), "");
}

// 1 of 100 non-zero values is 1% and no warning; 1 of 99 is more.
INSTANTIATE_TEST_SUITE_P(
    Rule, SmallValuesWarningTest,
    ::testing::Values(
        WarningCase{"MicroelectrodeSweepWarns", ReadFileBytes(SAMPLES / MICROELECTRODE), false, 121, 20, 21,
                    MICROELECTRODE_WARNING},
        WarningCase{"ScientificFormLosesNothing", ReadFileBytes(SAMPLES / MICROELECTRODE), true, 121, 0, 0,
                    ""},
        WarningCase{"OnePercentIsNoWarning", Rows("1 1e-10 0", "1 1 0", 49), false, 100, 1, 0, ""},
        WarningCase{
            "JustOverOnePercentWarns", Rows("1 1e-10 1", "1 1 1", 32), false, 99, 1, 0,
            "1 of its 99 non-zero values come out as 0.000000 or -0.000000 and 0 more with fewer than "
            "three significant digits; the scientific number format keeps them (quillmere-convert "
            "--scientific, or \"Scientific number format\" in the dialog's right-click menu)"},
        WarningCase{"ZeroCrossingOfASweepIsNoWarning", ReadFileBytes(SAMPLES / "sweep_cell_A_07.idf"), false,
                    30, 0, 0, ""}),
    [](const ::testing::TestParamInfo<WarningCase>& info) { return info.param.name; });

#ifdef QUILLMERE_CONVERT_EXE

using Json = nlohmann::json;
using SmallValuesCliTest = testutil::ConvertCliTest;

// Through the program: the warning line, an exit status that does not
// change, the counts and the form in the report, and --scientific.
TEST_F(SmallValuesCliTest, MicroelectrodeSweepWarnsAndScientificKeepsItsValues)
{
    CopySample(MICROELECTRODE);
    const auto fixed = Run({"--report", "fixed.json", MICROELECTRODE});
    EXPECT_EQ(fixed.exitStatus, 0) << fixed.err;
    EXPECT_EQ(fixed.err,
              testutil::ErrLine(PathOf(MICROELECTRODE) + ": small values: " + MICROELECTRODE_WARNING) +
                  testutil::ErrLine("1 file: 1 converted (41 rows)"));
    const Json fixedReport = Json::parse(ReadFileBytes("fixed.json"));
    EXPECT_EQ(fixedReport["settings"]["numberFormat"], "fixed");
    EXPECT_EQ(fixedReport["files"][0]["zeroedValues"], 20);
    EXPECT_EQ(fixedReport["files"][0]["fewDigitValues"], 21);
    EXPECT_EQ(ReadFileBytes("microelectrode_cell_D_04+IV.txt"),
              ReadFileBytes(DATA / "iv_microelectrode_currents_lose_their_digits" / "expected.txt"));

    const auto scientific = Run({"--scientific", "--report", "scientific.json", MICROELECTRODE});
    EXPECT_EQ(scientific.exitStatus, 0) << scientific.err;
    EXPECT_EQ(scientific.err, testutil::ErrLine("1 file: 1 converted (41 rows)"));
    const Json scientificReport = Json::parse(ReadFileBytes("scientific.json"));
    EXPECT_EQ(scientificReport["settings"]["numberFormat"], "scientific");
    EXPECT_EQ(scientificReport["files"][0]["zeroedValues"], 0);
    EXPECT_EQ(scientificReport["files"][0]["fewDigitValues"], 0);
    EXPECT_EQ(ReadFileBytes("microelectrode_cell_D_04+IV.txt"),
              ReadFileBytes(DATA / "iv_microelectrode_scientific_form_keeps_them" / "expected.txt"));
}

// The second column of each counted row of a sweep, as the file holds it.
std::vector<double> CurrentsOf(const std::string& bytes)
{
    std::vector<double> currents;
    std::size_t at = bytes.find("primary_data");
    for (int skip = 0; skip < 2; ++skip) at = bytes.find('\n', at) + 1;
    std::istringstream text(bytes.substr(at));
    long count = 0;
    text >> count;
    for (long i = 0; i < count; ++i) {
        double first = 0, second = 0, third = 0;
        text >> first >> second >> third;
        currents.push_back(second);
    }
    return currents;
}

// A real transient of 100,347 points at an area of 0.196: dozens of its
// values come out as zero, too few to reach 1% of its 301,041 non-zero
// values, so no warning; with --scientific no current that is not zero is
// written as zero.
TEST_F(SmallValuesCliTest, RealTransientCountsWithoutAWarning)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    const fs::path source = testutil::RealSamplesDir() / "iv_transient_1.idf";
    fs::copy_file(source, Dir() / "iv_transient_1.idf");
    const auto fixed = Run({"--area", "0.196", "--report", "fixed.json", "iv_transient_1.idf"});
    EXPECT_EQ(fixed.exitStatus, 0) << fixed.err;
    EXPECT_EQ(fixed.err.find("small values"), std::string::npos) << fixed.err;
    const Json file = Json::parse(ReadFileBytes("fixed.json"))["files"][0];
    EXPECT_EQ(file["zeroedValues"], 72);
    EXPECT_EQ(file["fewDigitValues"], 234);

    const auto scientific = Run({"--area", "0.196", "--scientific", "iv_transient_1.idf"});
    EXPECT_EQ(scientific.exitStatus, 0) << scientific.err;
    const std::vector<double> currents = CurrentsOf(ReadFileBytes(source));
    std::istringstream output(ReadFileBytes("iv_transient_1+IV.txt"));
    std::string line;
    std::size_t row = 0;
    long long zeroed = 0;
    for (; std::getline(output, line) && row < currents.size(); ++row) {
        const std::size_t comma = line.find(',');
        const double written = std::stod(line.substr(comma + 1));
        zeroed += currents[row] != 0 && written == 0 ? 1 : 0;
    }
    EXPECT_EQ(row, 100347U);
    EXPECT_EQ(zeroed, 0);
}

#endif

}  // namespace
