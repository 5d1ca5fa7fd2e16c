// Conversions for a look at the data: the rows are those the output file is
// made of, nothing is written, no message box is shown, and what keeps a
// file from being shown is said.
#include "engine/preview.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/batch_checks.h"
#include "engine/row_tap.h"
#include "plot/plot_source.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::MessageRecorder;
using testutil::ReadFileBytes;
using testutil::ScopedAreaSettings;
using testutil::WriteFileBytes;

// A microelectrode's sweep: currents of a few hundred picoamperes, which
// six decimals of mA write as 0.000000.
const std::string MICRO_SWEEP =
    "primary_data\r\n3\r\n4\r\n0.1 -6.50296E-10 1\r\n0.2 3.2E-10 2\r\n0.3 -1.0E-12 3\r\n0.4 0 4\r\n";

// The output text of `rows`, made as the converters make it.
std::string Formatted(const RowColumns& rows, char separator)
{
    std::string text;
    for (std::size_t i = 0; i < rows.Size(); ++i) {
        text += testutil::GlibcFixedLine(separator, rows.first[i], rows.second[i], rows.third[i]);
    }
    return testutil::Crlf(text);
}

class PreviewTest : public testutil::TempDirTest {
protected:
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

struct SameRowsCase {
    const char* name;
    const char* file;
    std::string content;
    RowKind kind;
    char separator;
    float area;
};

TEST_F(PreviewTest, RowsAreTheValuesTheOutputIsWrittenFrom)
{
    const SameRowsCase cases[] = {
        {"sweep", "run.idf", testutil::IvInput(500), RowKind::currentVoltage, ',', 1.0f},
        {"sweep with an area", "run.idf", testutil::IvInput(500), RowKind::currentVoltage, ',', 0.196f},
        {"impedance", "eis.csv", testutil::EisInput(300), RowKind::impedance, ' ', 1.0f},
        {"impedance with an area", "eis.csv", testutil::EisInput(300), RowKind::impedance, ' ', 0.196f},
        {"microelectrode sweep", "micro.idf", MICRO_SWEEP, RowKind::currentVoltage, ',', 1.0f},
    };
    for (const SameRowsCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedAreaSettings area(c.area, 1);
        WriteFileBytes(c.file, c.content);
        FileOutcome converted;
        ConvertFile(PathOf(c.file).c_str(), PathOf("out.txt").c_str(), converted);
        const std::vector<std::string> before = Entries();

        MessageRecorder shown;
        const PreviewRows preview = ConvertForPreview(PathOf(c.file).c_str());
        EXPECT_TRUE(preview.error.IsEmpty()) << preview.error.c_str();
        EXPECT_EQ(preview.kind, c.kind);
        EXPECT_EQ(preview.outcome.result, converted.result);
        EXPECT_EQ(preview.outcome.rows, converted.rows);
        EXPECT_EQ(static_cast<long long>(preview.rows->Size()), converted.rows);
        EXPECT_EQ(Formatted(*preview.rows, c.separator), ReadFileBytes(Dir() / "out.txt"));
        EXPECT_EQ(Entries(), before);  // no output, no work file
        EXPECT_TRUE(shown.Messages().empty());
    }
}

TEST_F(PreviewTest, SmallCurrentsKeepTheirValuesWhereTheOutputShowsZero)
{
    WriteFileBytes("micro.idf", MICRO_SWEEP);
    const PreviewRows preview = ConvertForPreview(PathOf("micro.idf").c_str());
    ASSERT_EQ(preview.rows->Size(), 4U);
    // -1000 * current in single precision, as the converter computes it.
    EXPECT_DOUBLE_EQ(preview.rows->second[0], static_cast<double>(-6.50296E-10f) * -1000.0);
    EXPECT_DOUBLE_EQ(preview.rows->second[2], static_cast<double>(-1.0E-12f) * -1000.0);
    EXPECT_NE(preview.rows->second[2], 0.0);
}

struct ProblemCase {
    const char* name;
    const char* file;
    std::string content;  // no file is made when empty and `make` is false
    bool make;
    std::string problem;
    std::size_t messages;
};

TEST_F(PreviewTest, WhatKeepsAFileFromBeingShownIsSaidNotShownInABox)
{
    const ProblemCase cases[] = {
        {"sweep without its marker", "a.idf", "header\r\n1 2 3\r\n", true, "no \"primary_data\" line", 0},
        {"sweep without a point count", "b.idf", "primary_data\r\n3\r\n0\r\n", true,
         "no positive point count after the \"primary_data\" line", 0},
        {"export without \"EIS\" rows", "c.csv", "header\r\n1,2,DC,4\r\n", true, "no \"EIS\" row", 1},
        {"a path with neither marker", "d.txt", "1 2 3\r\n", true,
         "the path contains neither \".idf\" nor \".csv\"", 0},
    };
    for (const ProblemCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(c.file, c.content);
        const std::vector<std::string> before = Entries();
        MessageRecorder shown;
        const PreviewRows preview = ConvertForPreview(PathOf(c.file).c_str());
        EXPECT_TRUE(shown.Messages().empty());
        EXPECT_EQ(preview.messages.size(), c.messages);
        EXPECT_EQ(preview.rows->Size(), 0U);
        EXPECT_EQ(Entries(), before);
        const PlotSource source = PreviewSource(PathOf(c.file).c_str());
        EXPECT_EQ(source.problem, c.problem);
        EXPECT_EQ(source.name, c.file);
        EXPECT_EQ(BuildFigure({source}).message, "No data: " + c.problem);
    }
}

TEST_F(PreviewTest, AFileErrorIsReturnedAndLeavesWhatAConversionLeaves)
{
    const PreviewRows missing = ConvertForPreview(PathOf("gone.idf").c_str());
    EXPECT_NE(missing.error.str().find("gone.idf"), std::string::npos) << missing.error.c_str();
    EXPECT_EQ(missing.rows->Size(), 0U);
    EXPECT_TRUE(Entries().empty() || Entries() == std::vector<std::string>{WORK_FILE_NAME});

    const PlotSource source = PreviewSource(PathOf("gone.idf").c_str());
    EXPECT_EQ(source.problem, missing.error.str());
    EXPECT_EQ(BuildFigure({source}).message, "No data: " + missing.error.str());
}

TEST_F(PreviewTest, AnAreaABatchWouldRefuseConvertsNothing)
{
    WriteFileBytes("run.idf", testutil::IvInput(10));
    const ScopedAreaSettings area(0.0f, 1);
    const PlotSource source = PreviewSource(PathOf("run.idf").c_str());
    EXPECT_EQ(source.problem, AREA_UNUSABLE_MESSAGE);
    EXPECT_EQ(source.rows, nullptr);
    EXPECT_EQ(Entries(), std::vector<std::string>{"run.idf"});  // not even a work file
}

TEST_F(PreviewTest, AShortSweepAndTheAreaReachTheFigure)
{
    WriteFileBytes("short.idf", "primary_data\r\n3\r\n5\r\n1 1e-3 1\r\n2 2e-3 2\r\n");
    const ScopedAreaSettings area(0.5f, 1);
    const PlotSource source = PreviewSource(PathOf("short.idf").c_str());
    ASSERT_NE(source.rows, nullptr);
    EXPECT_EQ(source.rows->Size(), 2U);
    EXPECT_EQ(source.area, 0.5f);
    ASSERT_EQ(source.notes.size(), 1U);
    EXPECT_EQ(source.notes[0], "short.idf: short sweep: only 2 of the 5 announced points are in the file");
}

TEST_F(PreviewTest, ATapSeesTheRowsOfAConversionIntoAnOutput)
{
    WriteFileBytes("eis.csv", testutil::EisInput(40));
    FileOutcome plain;
    ConvertFile(PathOf("eis.csv").c_str(), PathOf("plain.txt").c_str(), plain);
    CRowCollector collector;
    FileOutcome tapped;
    {
        const CScopedRowTap tap(collector);
        ConvertFile(PathOf("eis.csv").c_str(), PathOf("tapped.txt").c_str(), tapped);
    }
    EXPECT_EQ(InstalledRowTap(), nullptr);
    EXPECT_EQ(collector.Kind(), RowKind::impedance);
    const std::string output = ReadFileBytes(Dir() / "tapped.txt");
    EXPECT_EQ(output, ReadFileBytes(Dir() / "plain.txt"));
    EXPECT_EQ(Formatted(*collector.TakeRows(), ' '), output);
}

TEST(PlotPathTest, ThePlotLiesBesideItsOutput)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/data/cell_A_07+IV.txt", "/data/cell_A_07+IV.svg"},
        {"07+IV.txt", "07+IV.svg"},
        {"odd+IV.text", "odd+IV.text.svg"},
    };
    for (const auto& [output, plot] : cases) {
        EXPECT_EQ(PlotPathFor(output).str(), plot);
    }
}

TEST(PreviewRealSamplesTest, RealFilesPreviewAsTheyConvert)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    const struct {
        const char* file;
        RowKind kind;
        std::size_t rows;
    } cases[] = {
        {"iv_transient_1.idf", RowKind::currentVoltage, 100347},
        {"iv_transient_short.idf", RowKind::currentVoltage, 18},
        {"eis_idf_1.idf", RowKind::impedance, 26},
        {"eis_idf_2.idf", RowKind::impedance, 29},
    };
    const testutil::ScopedTempDir work;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const PreviewRows preview = ConvertForPreview((testutil::RealSamplesDir() / c.file).string().c_str());
        EXPECT_TRUE(preview.error.IsEmpty()) << preview.error.c_str();
        EXPECT_EQ(preview.kind, c.kind);
        EXPECT_EQ(preview.rows->Size(), c.rows);
    }
}

}  // namespace
