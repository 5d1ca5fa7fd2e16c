// Golden conversions: every case folder under tests/data runs through the
// whole per-file conversion and must give its expected bytes. The real
// instrument files, when present, are converted and checked for sense.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/convert_file.h"
#include "engine/eis_converter.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::Exists;
using testutil::MessageRecorder;
using testutil::ReadFileBytes;
using testutil::ScopedAreaSettings;
using testutil::ScopedTempDir;
using testutil::WriteFileBytes;

const fs::path DATA_DIR = QUILLMERE_TEST_DATA;

// The case folders: those holding an expected.txt.
std::vector<std::string> GoldenCases()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(DATA_DIR)) {
        if (entry.is_directory() && Exists(entry.path() / "expected.txt"))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The one input.* file of a case folder.
fs::path InputOf(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().stem() == "input") return entry.path();
    }
    return {};
}

// Reads area.txt ("<area> <flag>"); the state after start-up when absent.
void ReadArea(const fs::path& folder, float& area, int& enabled)
{
    area = 1.0f;
    enabled = 1;
    if (!Exists(folder / "area.txt")) return;
    std::istringstream text(ReadFileBytes(folder / "area.txt"));
    text >> area >> enabled;
    ASSERT_FALSE(text.fail()) << "area.txt of " << folder;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, ConvertsToTheExpectedBytes)
{
    const fs::path folder = DATA_DIR / GetParam();
    const fs::path input = InputOf(folder);
    ASSERT_FALSE(input.empty()) << "no input file in " << folder;
    float area = 0;
    int enabled = 0;
    ReadArea(folder, area, enabled);
    // format.txt ("scientific") chooses the number form; "%f" without it.
    const bool scientific =
        Exists(folder / "format.txt") && ReadFileBytes(folder / "format.txt").starts_with("scientific");
    const std::string expectedMessages =
        Exists(folder / "messages.txt") ? ReadFileBytes(folder / "messages.txt") : std::string();

    ScopedTempDir dir;
    ScopedAreaSettings settings(area, enabled);
    testutil::ScopedNumberForm form(scientific);
    MessageRecorder recorder;
    const fs::path copy = dir.path() / input.filename();
    fs::copy_file(input, copy);
    const fs::path output = dir.path() / "output+IV.txt";

    EXPECT_EQ(ConvertFile(copy.string().c_str(), output.string().c_str()), 0);

    EXPECT_EQ(ReadFileBytes(output), ReadFileBytes(folder / "expected.txt"));
    std::string shown;
    for (const std::string& message : recorder.Messages()) shown += message;
    EXPECT_EQ(shown, expectedMessages);
    EXPECT_FALSE(Exists(dir.path() / WORK_FILE_NAME)) << "the work file is deleted";
}

INSTANTIATE_TEST_SUITE_P(Data, GoldenTest, ::testing::ValuesIn(GoldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(GoldenDataTest, CasesOfBothKindsArePresent)
{
    const std::vector<std::string> cases = GoldenCases();
    const auto count = [&](const char* ext) {
        return std::count_if(cases.begin(), cases.end(), [&](const std::string& name) {
            return InputOf(DATA_DIR / name).extension() == ext;
        });
    };
    EXPECT_GE(count(".idf"), 20);
    EXPECT_GE(count(".csv"), 20);
}

// ---- real instrument files ----------------------------------------------

// One output line of a current-voltage conversion: three comma-separated numbers.
struct Triple {
    double first, second, third;
};

std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "output does not end in CR LF";
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<Triple> ParseOutput(const std::string& bytes, char separator)
{
    std::vector<Triple> values;
    const std::string format = std::string("%lf") + separator + "%lf" + separator + "%lf";
    for (const std::string& line : Lines(bytes)) {
        Triple t{};
        EXPECT_EQ(std::sscanf(line.c_str(), format.c_str(), &t.first, &t.second, &t.third), 3) << line;
        values.push_back(t);
    }
    return values;
}

class RealSampleTest : public testutil::TempDirTest {
protected:
    // Converts the sample `name`, copied under `asName`, and returns the output bytes.
    std::string Convert(const char* name, const char* asName)
    {
        const fs::path source = testutil::RealSamplesDir() / name;
        fs::copy_file(source, Dir() / asName);
        EXPECT_EQ(ConvertFile(PathOf(asName).c_str(), PathOf("out.txt").c_str()), 0);
        EXPECT_FALSE(Exists(WORK_FILE_NAME));
        return ReadFileBytes(Dir() / "out.txt");
    }

    ScopedAreaSettings m_area{1.0f, 1};
    MessageRecorder m_messages;
};

// The rows of an impedance run as the instrument wrote them, read here on
// their own terms: lines end at CR, LF or NUL bytes; the line after the first
// "primary_data" one is skipped, the next holds the count, and each counted
// row holds Z', Z'' and the frequency, separated by blanks or tabs.
struct ImpedanceRow {
    double real, imaginary, frequency;
};

std::vector<ImpedanceRow> ImpedanceRowsOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n' || c == '\0') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    std::size_t at = 0;
    while (at < lines.size() && lines[at].find("primary_data") == std::string::npos) ++at;
    std::vector<ImpedanceRow> rows;
    if (at + 2 >= lines.size()) return rows;
    const int count = std::stoi(lines[at + 2]);
    for (int i = 0; i < count; ++i) {
        std::istringstream text(lines[at + 3 + static_cast<std::size_t>(i)]);
        ImpedanceRow row{};
        text >> row.real >> row.imaginary >> row.frequency;
        EXPECT_FALSE(text.fail()) << "row " << i;
        rows.push_back(row);
    }
    return rows;
}

// Single precision (twice rounded when the area is applied), then six printed decimals.
void ExpectSame(double got, double expected, const std::string& what)
{
    EXPECT_NEAR(got, expected, 5.0000001e-7 + std::fabs(expected) * 2.4e-7) << what;
}

struct RealImpedanceCase {
    const char* name;
    int rows;
    float area;
};

class RealImpedanceTest : public RealSampleTest, public ::testing::WithParamInterface<RealImpedanceCase> {};

// Both real ".idf" impedance runs (their headers say "Method=Impedance")
// come out in the impedance form, value for value their Z', Z'' and
// frequency: frequency, Z' * area, -Z'' * area. They were once taken for
// sweeps, with Z'' times -1000 in the middle.
TEST_P(RealImpedanceTest, GivesFrequencyAndBothPartsTimesTheArea)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    const RealImpedanceCase& c = GetParam();
    ScopedAreaSettings area(c.area, 1);
    const fs::path source = testutil::RealSamplesDir() / c.name;
    fs::copy_file(source, Dir() / c.name);
    FileOutcome outcome;
    EXPECT_EQ(ConvertFile(PathOf(c.name).c_str(), PathOf("out.txt").c_str(), outcome), 0);
    EXPECT_EQ(outcome.kind.str(), EIS_KIND);
    EXPECT_EQ(outcome.result, FileResult::converted);
    EXPECT_EQ(outcome.rows, c.rows);

    const std::vector<Triple> got = ParseOutput(ReadFileBytes(Dir() / "out.txt"), ' ');
    const std::vector<ImpedanceRow> rows = ImpedanceRowsOf(ReadFileBytes(source));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.rows));
    ASSERT_EQ(got.size(), rows.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const std::string what = "row " + std::to_string(i);
        ExpectSame(got[i].first, rows[i].frequency, what + " frequency");
        ExpectSame(got[i].second, rows[i].real * c.area, what + " Z' * area");
        ExpectSame(got[i].third, -rows[i].imaginary * c.area, what + " -Z'' * area");
    }
    EXPECT_TRUE(m_messages.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, RealImpedanceTest,
                         ::testing::Values(RealImpedanceCase{"eis_idf_1.idf", 26, 1.0f},
                                           RealImpedanceCase{"eis_idf_1.idf", 26, 0.196f},
                                           RealImpedanceCase{"eis_idf_2.idf", 29, 1.0f},
                                           RealImpedanceCase{"eis_idf_2.idf", 29, 0.196f}),
                         [](const ::testing::TestParamInfo<RealImpedanceCase>& info) {
                             return std::string(info.param.name).substr(0, 9) +
                                    (info.param.area == 1.0f ? "_area1" : "_area0196");
                         });

TEST_F(RealSampleTest, ShortTransientGivesEighteenLines)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    const std::string output = Convert("iv_transient_short.idf", "iv_transient_short.idf");
    const std::vector<Triple> got = ParseOutput(output, ',');
    ASSERT_EQ(got.size(), 18u);
    EXPECT_EQ(Lines(output).front(), "1.000000,1000.000000,2.748800");
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].first, static_cast<double>(i + 1));
    EXPECT_EQ(Lines(output).back(), "18.000000,-0.000000,0.000000");
}

TEST_F(RealSampleTest, LongTransientGivesAllItsPoints)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    const std::vector<std::string> lines = Lines(Convert("iv_transient_1.idf", "iv_transient_1.idf"));
    EXPECT_EQ(lines.size(), 100347u);
    EXPECT_EQ(lines.front(), "1.000000,0.000001,3.495430");
}

TEST_F(RealSampleTest, DatasetConvertsItsFirstSectionOnly)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    // Taken as a current-voltage file, a multi-scan dataset gives the
    // all-zero placeholder section that comes first.
    const std::vector<std::string> lines = Lines(Convert("iv_cv_dataset_1.ids", "iv_cv_dataset_1.idf"));
    ASSERT_EQ(lines.size(), 10u);
    for (const std::string& line : lines) EXPECT_EQ(line, "0.000000,-0.000000,0.000000");
}

TEST_F(RealSampleTest, Utf16ExportOfAnotherLayoutStopsWithTheMessage)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    EXPECT_EQ(Convert("eis_csv_1.csv", "eis_csv_1.csv"), "");
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages().front(), EIS_MISSING_MESSAGE);
}

}  // namespace
