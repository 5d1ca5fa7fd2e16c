// What OK says besides the progress lines: an area that cannot be used and
// two inputs that would write one output each stop the batch before any
// file is touched, with one message; after a run, one message names the
// files that gave no full output, and a run where every file converted
// shows none.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "batch/job_table.h"
#include "gui_support.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;
using guitest::ReadBytes;
using guitest::TestData;
namespace fs = guitest::fs;

const std::string AREA_MESSAGE =
    "The electrode surface area must be a number greater than 0, from about 1.2e-38 to 3.4e38 (the range of "
    "single precision), with a point as the decimal separator (for example 0.196).";

const std::string COLLISION_HEAD =
    "Nothing was converted: different files would be written to the same output file, and each would replace "
    "the one before.\r\n\r\n";
const std::string COLLISION_ADVICE =
    "\r\nUntick \"Reduce File Name\", or press \"Clear\" and pick the files again, leaving out one "
    "file of each pair.";

// A sweep that announces 8 points and holds 3.
const char* const SHORT_SWEEP = "primary_data\r\n3\r\n8\r\n1 2e-3 3\r\n4 5e-3 6\r\n7 8e-3 9\r\n";
// A sweep without its marker line.
const char* const MARKERLESS_SWEEP = "Version=7\r\nno data here\r\n";

std::string Progress(const std::string& path)
{
    return "Finished Processing file: " + path;
}

// Everything of the job table a run may change, to compare before and after.
std::vector<std::string> JobTableSnapshot()
{
    std::vector<std::string> rows;
    for (int job = 0; job < g_jobCount; ++job) {
        const PathEntry& source = g_sourceEntries[job];
        const PathEntry& target = g_targetEntries[job];
        rows.push_back(source.fullPath.str() + "|" + target.fullPath.str() + "|" + target.name.str() + "|" +
                       target.ext.str() + "|" + target.dir.str());
    }
    rows.push_back(g_fileListText.str());
    return rows;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class BatchMessageTest : public DialogTest {
protected:
    std::string GoodSweep(const std::string& name) const
    {
        return MakeInput(name, ReadBytes(TestData("iv_worked_example_count_2/input.idf")));
    }
    std::string GoodImpedance(const std::string& name) const
    {
        return MakeInput(name, ReadBytes(TestData("eis_worked_example_area_2/input.csv")));
    }

    void Pick(const std::vector<std::string>& paths)
    {
        QueuePick(paths);
        Press(IDC_BROWSE);
    }

    // Presses OK; the run happens within the press.
    void PressOk()
    {
        MarkProgress();
        Press(wxID_OK);
    }

    // Progress lines since the last PressOk. The console window of the GTK
    // build can be read back; the Windows console is checked by its own tests.
    void ExpectProgress(const std::vector<std::string>& expected)
    {
#ifndef __WXMSW__
        EXPECT_EQ(ConsoleLinesSinceMark(), expected);
#else
        (void)expected;
#endif
    }

    // Files in the test folder, by name.
    std::vector<std::string> FolderNames() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    void MarkProgress()
    {
#ifndef __WXMSW__
        MarkConsole();
#endif
    }
};

// ---------------------------------------------------------------------------
// An area that cannot be used

struct AreaCase {
    const char* label;
    const char* text;
    const char* echo;  // as the echo box shows it, taken as before
};

// Cases print as their labels in test names and failure reports.
template <typename Case>
std::string LabelOf(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.label;
}
void PrintTo(const AreaCase& c, std::ostream* out)
{
    *out << c.label;
}

class AreaRefusalTest : public BatchMessageTest, public ::testing::WithParamInterface<AreaCase> {};

TEST_P(AreaRefusalTest, OneMessageAndNothingConverted)
{
    const std::string input = GoodSweep("cell_A_07.idf");
    Pick({input});
    Text(IDC_AREA)->SetValue(GetParam().text);
    EXPECT_EQ(Text(IDC_AREA_ECHO)->GetValue().utf8_string(), GetParam().echo);
    const std::vector<std::string> folderBefore = FolderNames();
    PressOk();
    EXPECT_EQ(m_boxes, std::vector<std::string>{AREA_MESSAGE});
    EXPECT_EQ(m_beeps, 0);
    ExpectProgress({});
    EXPECT_EQ(FolderNames(), folderBefore);
    // The echo box keeps what it showed; the text is not changed for the user.
    EXPECT_EQ(Text(IDC_AREA_ECHO)->GetValue().utf8_string(), GetParam().echo);
    EXPECT_EQ(Text(IDC_AREA)->GetValue().utf8_string(), GetParam().text);
}

std::string EchoOf(double value)
{
    char text[400];
    std::snprintf(text, sizeof text, "Area=%f", value);
    return text;
}

const std::string HUGE_ECHO = EchoOf(1e39);

INSTANTIATE_TEST_SUITE_P(Texts, AreaRefusalTest,
                         ::testing::Values(AreaCase{"Zero", "0", "Area=0.000000"},
                                           AreaCase{"Letters", "abc", "Area=0.000000"},
                                           AreaCase{"DecimalComma", "0,196", "Area=0.000000"},
                                           AreaCase{"Empty", "", "Area=0.000000"},
                                           AreaCase{"Negative", "-2", "Area=-2.000000"},
                                           // Beyond single precision: the stored area is infinite.
                                           AreaCase{"Infinite", "1e39", HUGE_ECHO.c_str()},
                                           // Below the normal numbers: every current would be infinite.
                                           AreaCase{"Subnormal", "1e-45", "Area=0.000000"}),
                         LabelOf<AreaCase>);

TEST_F(BatchMessageTest, UnusableAreaWithoutJobsStillSaysSoAndDoesNotBeep)
{
    Text(IDC_AREA)->SetValue("0,196");
    PressOk();
    EXPECT_EQ(m_boxes, std::vector<std::string>{AREA_MESSAGE});
    EXPECT_EQ(m_beeps, 0);
}

TEST_F(BatchMessageTest, AfterTheAreaIsMendedOkConverts)
{
    Pick({GoodSweep("cell_A_07.idf")});
    Text(IDC_AREA)->SetValue("0,5");
    PressOk();
    ASSERT_EQ(m_boxes.size(), 1U);
    Text(IDC_AREA)->SetValue("0.5");
    PressOk();
    EXPECT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(ReadBytes(m_dir / "cell_A_07+IV.txt"),
              ReadBytes(TestData("iv_worked_example_count_2/expected.txt")));
}

// ---------------------------------------------------------------------------
// Two inputs, one output

struct CollisionCase {
    const char* label;
    std::vector<const char*> names;  // input files, in the order picked
    bool reduceName;
    // Pairs of indexes into `names` and the output they share.
    std::vector<std::pair<std::pair<int, int>, const char*>> pairs;
    // Outputs written once "Reduce File Name" is unticked and OK pressed again.
    std::vector<const char*> outputsUnticked;
};

void PrintTo(const CollisionCase& c, std::ostream* out)
{
    *out << c.label;
}

class CollisionTest : public BatchMessageTest, public ::testing::WithParamInterface<CollisionCase> {};

TEST_P(CollisionTest, OneMessageNothingWrittenTableUntouched)
{
    const CollisionCase& c = GetParam();
    std::vector<std::string> inputs;
    for (const char* name : c.names) {
        inputs.push_back(std::string(name).find(".csv") != std::string::npos ? GoodImpedance(name)
                                                                             : GoodSweep(name));
    }
    Pick(inputs);
    Check(IDC_REDUCE_NAME)->SetValue(c.reduceName);
    const std::vector<std::string> tableBefore = JobTableSnapshot();
    const wxString listBefore = Text(IDC_FILE_LIST)->GetValue();
    const std::vector<std::string> folderBefore = FolderNames();

    PressOk();

    std::string expected = COLLISION_HEAD;
    for (const auto& [pair, output] : c.pairs) {
        expected += inputs[pair.first] + "\r\n" + inputs[pair.second] + "\r\n    both give " +
                    (m_dir / output).string() + "\r\n";
    }
    expected += COLLISION_ADVICE;
    EXPECT_EQ(m_boxes, std::vector<std::string>{expected});
    EXPECT_EQ(m_beeps, 0);
    ExpectProgress({});
    EXPECT_EQ(FolderNames(), folderBefore);
    EXPECT_EQ(JobTableSnapshot(), tableBefore);
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), listBefore);
    EXPECT_EQ(Check(IDC_REDUCE_NAME)->GetValue(), c.reduceName);

    if (c.outputsUnticked.empty()) {
        return;
    }
    // No name was shortened by the refused run: unticked, the full names are written.
    Check(IDC_REDUCE_NAME)->SetValue(false);
    PressOk();
    EXPECT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_beeps, 1);
    for (const char* output : c.outputsUnticked) {
        EXPECT_TRUE(fs::exists(m_dir / output)) << output;
    }
    EXPECT_FALSE(fs::exists(m_dir / "07+IV.txt"));
    std::vector<std::string> progress;
    for (const std::string& input : inputs) {
        progress.push_back(Progress(input));
    }
    ExpectProgress(progress);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CollisionTest,
    ::testing::Values(CollisionCase{"ReducedNamesMeet",
                                    {"a_07.idf", "b_07.idf"},
                                    true,
                                    {{{0, 1}, "07+IV.txt"}},
                                    {"a_07+IV.txt", "b_07+IV.txt"}},
                      CollisionCase{"SweepAndExportOfOneName",
                                    {"cell_07.idf", "cell_07.csv"},
                                    false,
                                    {{{0, 1}, "cell_07+IV.txt"}},
                                    {}},
                      // The third input is paired with the first that claimed the output;
                      // a fourth whose reduced name is its own stays out of the message.
                      CollisionCase{"EachLaterInputPairedWithTheFirst",
                                    {"a_07.idf", "b_07.idf", "c_07.csv", "solo.idf"},
                                    true,
                                    {{{0, 1}, "07+IV.txt"}, {{0, 2}, "07+IV.txt"}},
                                    {"a_07+IV.txt", "b_07+IV.txt", "c_07+IV.txt", "solo+IV.txt"}}),
    LabelOf<CollisionCase>);

TEST_F(BatchMessageTest, CollisionMessageListsTenPairsThenCountsTheRest)
{
    // Nothing is opened when names collide, so the inputs need not exist.
    std::vector<std::string> inputs;
    for (int pair = 0; pair < 12; ++pair) {
        const std::string number = std::to_string(10 + pair);
        inputs.push_back((m_dir / ("a_" + number + ".idf")).string());
        inputs.push_back((m_dir / ("b_" + number + ".idf")).string());
    }
    Pick(inputs);
    Check(IDC_REDUCE_NAME)->SetValue(true);
    PressOk();
    ASSERT_EQ(m_boxes.size(), 1U);
    const std::string& box = m_boxes[0];
    EXPECT_EQ(Count(box, "both give"), 10U);
    EXPECT_NE(box.find("both give " + (m_dir / "19+IV.txt").string() + "\r\n... and 2 more\r\n"),
              std::string::npos)
        << box;
    EXPECT_EQ(box.find("20+IV.txt"), std::string::npos) << box;
    EXPECT_EQ(m_beeps, 0);
}

// ---------------------------------------------------------------------------
// Files that gave no full output

TEST_F(BatchMessageTest, OneMessageNamesEveryFileThatGaveNoFullOutput)
{
    const std::string good = GoodSweep("good_01.idf");
    const std::string shortSweep = MakeInput("short_02.idf", SHORT_SWEEP);
    const std::string empty = MakeInput("empty_03.idf", MARKERLESS_SWEEP);
    const std::string capitals = GoodSweep("CELL_04.IDF");
    Pick({good, shortSweep, empty, capitals});
    Text(IDC_AREA)->SetValue("0.5");
    PressOk();

    ASSERT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_boxes[0],
              "3 of the 4 files gave no full output:\r\n\r\n" + shortSweep +
                  ": only 3 of the 8 announced points are in the file\r\n" + empty +
                  ": no \"primary_data\" line\r\n" + capitals +
                  ": the path contains \".IDF\", but only \".idf\" and \".csv\" in small letters are "
                  "converted\r\n");
    // The run itself is as before: every file has its progress line, one beep.
    ExpectProgress({Progress(good), Progress(shortSweep), Progress(empty), Progress(capitals)});
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(ReadBytes(m_dir / "good_01+IV.txt"),
              ReadBytes(TestData("iv_worked_example_count_2/expected.txt")));
    EXPECT_EQ(guitest::Lines(ReadBytes(m_dir / "short_02+IV.txt")).size(), 3U);
    EXPECT_EQ(ReadBytes(m_dir / "empty_03+IV.txt"), "");
    EXPECT_FALSE(fs::exists(m_dir / "CELL_04+IV.txt"));
}

TEST_F(BatchMessageTest, ProblemMessageListsTwentyFilesThenCountsTheRest)
{
    std::vector<std::string> inputs;
    for (int file = 10; file < 32; ++file) {
        inputs.push_back(MakeInput("notes_" + std::to_string(file) + ".txt", "text\r\n"));
    }
    Pick(inputs);
    PressOk();
    ASSERT_EQ(m_boxes.size(), 1U);
    const std::string& box = m_boxes[0];
    EXPECT_EQ(box.rfind("22 of the 22 files gave no full output:\r\n\r\n", 0), 0U) << box;
    EXPECT_EQ(Count(box, "neither"), 20U);
    EXPECT_NE(
        box.find(inputs[19] + ": the path contains neither \".idf\" nor \".csv\"\r\n... and 2 more\r\n"),
        std::string::npos)
        << box;
    EXPECT_EQ(box.find(inputs[20]), std::string::npos) << box;
}

// Runs where every file converted show nothing beyond the beep.
struct QuietCase {
    const char* label;
    std::vector<const char*> names;
};

void PrintTo(const QuietCase& c, std::ostream* out)
{
    *out << c.label;
}

class QuietRunTest : public BatchMessageTest, public ::testing::WithParamInterface<QuietCase> {};

TEST_P(QuietRunTest, NoMessage)
{
    std::vector<std::string> inputs;
    for (const char* name : GetParam().names) {
        const bool impedance = std::string(name).find(".csv") != std::string::npos;
        inputs.push_back(impedance ? GoodImpedance(name) : GoodSweep(name));
    }
    Pick(inputs);
    PressOk();
    EXPECT_EQ(m_boxes, std::vector<std::string>{});
    EXPECT_EQ(m_beeps, 1);
    for (const std::string& input : inputs) {
        const fs::path in(input);
        EXPECT_TRUE(fs::exists(in.parent_path() / (in.stem().string() + "+IV.txt"))) << input;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuietRunTest,
    ::testing::Values(QuietCase{"SweepAndImpedance", {"cell_A_07.idf", "scan_B_02.csv"}},
                      // One input listed twice writes its own output twice: no collision.
                      QuietCase{"SameInputTwice", {"cell_A_07.idf", "cell_A_07.idf"}},
                      QuietCase{"NoJobs", {}}),
    [](const ::testing::TestParamInfo<QuietCase>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------
// A file error

TEST_F(BatchMessageTest, FileErrorMessageAlsoNamesTheEarlierFilesThatFellShort)
{
    const std::string good = GoodSweep("a_01.idf");
    const std::string shortSweep = MakeInput("b_02.idf", SHORT_SWEEP);
    const std::string missing = (m_dir / "c_03.idf").string();
    const std::string after = MakeInput("d_04.idf", MARKERLESS_SWEEP);
    Pick({good, shortSweep, missing, after});
    PressOk();
    ASSERT_EQ(m_boxes.size(), 1U);
    const std::string& box = m_boxes[0];
    // Every line of a message ends in CR LF; the reason and the list once
    // ended in bare line feeds in the same box.
    EXPECT_EQ(box.rfind("The conversion stopped at " + missing + ".\r\n\r\n", 0), 0U) << box;
    // The file after the stop was never run, so it is not named.
    const std::string tail = "\r\n\r\nBefore the stop, 1 of the 2 files gave no full output:\r\n\r\n" +
                             shortSweep + ": only 3 of the 8 announced points are in the file\r\n";
    ASSERT_GE(box.size(), tail.size());
    EXPECT_EQ(box.substr(box.size() - tail.size()), tail) << box;
    EXPECT_EQ(m_beeps, 0);
    ExpectProgress({Progress(good), Progress(shortSweep)});
}

TEST_F(BatchMessageTest, FileErrorAfterFullConversionsIsItsOwnMessageOnly)
{
    const std::string good = GoodSweep("a_01.idf");
    const std::string missing = (m_dir / "c_03.idf").string();
    Pick({good, missing});
    PressOk();
    ASSERT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_boxes[0].rfind("The conversion stopped at " + missing + ".\r\n\r\n", 0), 0U) << m_boxes[0];
    EXPECT_EQ(m_boxes[0].find("Before the stop"), std::string::npos) << m_boxes[0];
}

}  // namespace
