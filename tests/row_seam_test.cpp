// The row seam: each converter hands its rows to a sink as the values it
// writes, before formatting, and the converter for an input is found from
// its path alone.
#include "engine/row_converters.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/eis_converter.h"
#include "engine/iv_converter.h"
#include "support/test_util.h"

namespace {

using testutil::Crlf;
using testutil::ScopedAreaSettings;
using testutil::WriteFileBytes;

constexpr const char* WORK = "123.xqrtmp";

struct Row {
    double first, second, third;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out)
{
    *out << "(" << row.first << ", " << row.second << ", " << row.third << ")";
}

// Keeps every row and each call of Begin.
class CRowRecorder : public CRowSink {
public:
    void Begin(RowKind kind) override { begins.push_back(kind); }
    void Row(double first, double second, double third) override { rows.push_back({first, second, third}); }

    std::vector<RowKind> begins;
    std::vector<struct Row> rows;
};

struct SeamCase {
    const char* name;
    RowConverter convert;
    std::string work;  // "\n" standing for the filter's CR LF
    std::vector<Row> rows;
    RowKind kind;
    float area = 1.0f;
};

void PrintTo(const SeamCase& c, std::ostream* out)
{
    *out << c.name;
}

class RowSeamTest : public testutil::TempDirTest, public ::testing::WithParamInterface<SeamCase> {};

TEST_P(RowSeamTest, HandsOnTheValuesBeforeFormatting)
{
    const SeamCase& c = GetParam();
    ScopedAreaSettings area(c.area, 1);
    WriteFileBytes(WORK, Crlf(c.work));
    CRowRecorder sink;
    ConversionReport report;
    c.convert(WORK, sink, &report);
    EXPECT_EQ(sink.rows, c.rows);
    EXPECT_EQ(report.kind, c.kind);
    EXPECT_EQ(report.rows, static_cast<long long>(c.rows.size()));
    // Begin comes once before rows, and not at all without them.
    EXPECT_EQ(sink.begins, c.rows.empty() ? std::vector<RowKind>{} : std::vector<RowKind>{c.kind});
    // Rows go to the sink only: nothing is written beside the work file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir()), {}), 1);
}

// Values that six decimals would hide come through whole: 1e-10 A over an
// area of 0.5 is -2e-7 mA per area, and an impedance of 1e-9 ohm stays one.
INSTANTIATE_TEST_SUITE_P(
    Converters, RowSeamTest,
    ::testing::Values(
        SeamCase{"SweepScaledBeforeFormatting",
                 ConvertIvRows,
                 "primary_data\nx\n2\n1 1e-10 3\n2 -4 0.5\n",
                 {{1.0, static_cast<double>(1e-10f / 0.5f) * -1000.0, 3.0},
                  {2.0, static_cast<double>(-4.0f / 0.5f) * -1000.0, 0.5}},
                 RowKind::currentVoltage,
                 0.5f},
        SeamCase{"SweepWithoutPointsGivesNoRow",
                 ConvertIvRows,
                 "primary_data\nx\n0\n1 2 3\n",
                 {},
                 RowKind::currentVoltage},
        SeamCase{"ImpedanceScaledBeforeFormatting",
                 ConvertEisRows,
                 "h\n0,0,EIS,0,0,0,1000,0,0,1e-9,-2\n",
                 {{1000.0, static_cast<double>(1e-9f * 0.5f), static_cast<double>(-2.0f * 0.5f) * -1.0}},
                 RowKind::impedance,
                 0.5f},
        SeamCase{"ImpedanceHeaderOnlyGivesNoRow", ConvertEisRows, "h\n", {}, RowKind::impedance}),
    [](const ::testing::TestParamInfo<SeamCase>& info) { return info.param.name; });

// The converter for a path is the one whose marker stands last in it; the
// marker at the very start of a path or in capitals does not count.
TEST(RowConverterForTest, TheMarkerThatStandsLastChooses)
{
    const struct {
        const char* path;
        RowConverter expected;
    } cases[] = {
        {"/run/cell.idf", ConvertIvRows},     {"/run/cell.csv", ConvertEisRows},
        {"/run.csv/cell.idf", ConvertIvRows}, {"/run/x.idf.csv", ConvertEisRows},
        {"/data.idfs/b.txt", ConvertIvRows},  {"/run/CELL.IDF", nullptr},
        {"/run/cell.txt", nullptr},           {".idf", nullptr},
        {".csv.idf", ConvertIvRows},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RowConverterFor(c.path), c.expected) << c.path;
    }
}

}  // namespace
