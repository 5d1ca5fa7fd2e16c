// quillmere-convert --plot, run as a process: a plot beside each output
// (or in --output-dir), from the rows written into it, listed in the
// report; none for a file without data, which a line names; the outputs
// themselves unchanged; a plot that would replace an input refused.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/cli_util.h"

namespace {

using testutil::ErrLine;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;
using Json = nlohmann::json;

class CliPlotTest : public testutil::ConvertCliTest {};

struct PlotRunCase {
    const char* name;
    std::vector<std::string> args;
    int exitStatus;
    std::vector<std::string> plots;  // files expected in the folder, besides the inputs
    std::vector<std::string> errLines;
};

TEST_F(CliPlotTest, EachOutputGetsItsPlotAndAFileWithoutDataNone)
{
    const PlotRunCase cases[] = {
        {"impedance",
         {"--plot", "eis.csv"},
         0,
         {"eis+IV.svg"},
         {ErrLine("1 file: 1 converted (40 rows); 1 plot")}},
        {"sweep with an area",
         {"--plot", "--area", "0.196", "run.idf"},
         0,
         {"run+IV.svg"},
         {ErrLine("1 file: 1 converted (300 rows); 1 plot")}},
        {"a file without data",
         {"--plot", "blank.idf", "eis.csv"},
         3,
         {"eis+IV.svg"},
         {ErrLine((Dir() / "blank.idf").string() +
                  ": no data: no \"primary_data\" line; the output is empty"),
          ErrLine((Dir() / "blank.idf").string() + ": no plot, as the file gave no data"),
          ErrLine("2 files: 1 converted (40 rows), 1 without data; 1 plot")}},
        {"without --plot no plot",
         {"eis.csv", "run.idf"},
         0,
         {},
         {ErrLine("2 files: 2 converted (340 rows)")}},
    };
    for (const PlotRunCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& name : Listing()) {
            std::filesystem::remove(Dir() / name);
        }
        WriteFileBytes(Dir() / "eis.csv", testutil::EisInput(40));
        WriteFileBytes(Dir() / "run.idf", testutil::IvInput(300));
        WriteFileBytes(Dir() / "blank.idf", "nothing here\r\n");
        const testutil::ProcessResult result = Run(c.args);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        for (const std::string& line : c.errLines) {
            EXPECT_NE(result.err.find(line), std::string::npos) << line << "\nin:\n" << result.err;
        }
        std::vector<std::string> plots;
        for (const std::string& name : Listing()) {
            if (name.ends_with(".svg")) {
                plots.push_back(name);
            }
        }
        EXPECT_EQ(plots, c.plots);
        for (const std::string& plot : plots) {
            const std::string svg = ReadFileBytes(Dir() / plot);
            EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<svg ", 0), 0U);
            EXPECT_EQ(svg.find("nan"), std::string::npos);
            EXPECT_EQ(svg.find("inf"), std::string::npos);
        }
    }
}

TEST_F(CliPlotTest, ThePlotLeavesTheOutputAsItWasAndShowsItsRows)
{
    WriteFileBytes(Dir() / "eis.csv", testutil::EisInput(25));
    ASSERT_EQ(Run({"eis.csv"}).exitStatus, 0);
    const std::string plain = ReadFileBytes(Dir() / "eis+IV.txt");
    const testutil::ProcessResult result = Run({"--plot", "eis.csv"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFileBytes(Dir() / "eis+IV.txt"), plain);
    const std::string svg = ReadFileBytes(Dir() / "eis+IV.svg");
    // One path per series: Nyquist, |Z| and phase; a mark for each of the 25 points of each.
    std::size_t paths = 0;
    for (std::size_t at = svg.find("<path "); at != std::string::npos; at = svg.find("<path ", at + 1)) {
        ++paths;
    }
    EXPECT_EQ(paths, 3U);
    std::size_t circles = 0;
    for (std::size_t at = svg.find("<circle "); at != std::string::npos; at = svg.find("<circle ", at + 1)) {
        ++circles;
    }
    EXPECT_EQ(circles, 3U * 25U);
    EXPECT_NE(svg.find(">eis.csv</text>"), std::string::npos);
}

TEST_F(CliPlotTest, TheReportListsEachPlot)
{
    WriteFileBytes(Dir() / "eis.csv", testutil::EisInput(10));
    WriteFileBytes(Dir() / "blank.idf", "nothing here\r\n");
    const testutil::ProcessResult result = Run({"--plot", "--report", "run.json", "eis.csv", "blank.idf"});
    ASSERT_EQ(result.exitStatus, 3) << result.err;
    const Json report = Json::parse(ReadFileBytes(Dir() / "run.json"));
    EXPECT_EQ(report["settings"]["plot"], true);
    EXPECT_EQ(report["files"][0]["plot"], (Dir() / "eis+IV.svg").string());
    EXPECT_TRUE(report["files"][1]["plot"].is_null());

    const testutil::ProcessResult plain = Run({"--report", "plain.json", "eis.csv"});
    const Json without = Json::parse(ReadFileBytes(Dir() / "plain.json"));
    EXPECT_EQ(without["settings"]["plot"], false);
    EXPECT_TRUE(without["files"][0]["plot"].is_null());
}

TEST_F(CliPlotTest, PlotsGoIntoTheOutputFolder)
{
    std::filesystem::create_directory(Dir() / "out");
    WriteFileBytes(Dir() / "eis.csv", testutil::EisInput(10));
    const testutil::ProcessResult result = Run({"--plot", "--output-dir", "out", "eis.csv"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(testutil::Exists(Dir() / "out" / "eis+IV.svg"));
    EXPECT_FALSE(testutil::Exists(Dir() / "eis+IV.svg"));
}

TEST_F(CliPlotTest, APlotThatWouldReplaceAnInputOrTheReportIsRefused)
{
    // The folder's name holds the marker, so "cell+IV.svg" in it is an input
    // of the run, and the plot of "cell.csv" would take its place.
    std::filesystem::create_directory(Dir() / "run.csv");
    WriteFileBytes(Dir() / "run.csv" / "cell.csv", testutil::EisInput(5));
    WriteFileBytes(Dir() / "run.csv" / "cell+IV.svg", "not a plot");
    const testutil::ProcessResult result = Run({"--plot", "run.csv/cell.csv", "run.csv/cell+IV.svg"});
    EXPECT_EQ(result.exitStatus, 2);
    // The paths as the program makes them from what was typed (on Windows
    // with both kinds of separator).
    EXPECT_NE(result.err.find("cell+IV.svg would replace the input "), std::string::npos) << result.err;
    EXPECT_EQ(ReadFileBytes(Dir() / "run.csv" / "cell+IV.svg"), "not a plot");

    WriteFileBytes(Dir() / "eis.csv", testutil::EisInput(5));
    const testutil::ProcessResult report = Run({"--plot", "--report", "eis+IV.svg", "eis.csv"});
    EXPECT_EQ(report.exitStatus, 2);
    EXPECT_NE(report.err.find("would replace the plot"), std::string::npos) << report.err;
}

}  // namespace
