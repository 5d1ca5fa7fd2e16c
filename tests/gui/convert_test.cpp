// OK runs the batch on real files in a fresh folder: outputs with the area
// from the box, "Reduce File Name", one console line per job as it ends, one
// beep at the end, and a file error that stops the run without closing the
// dialog.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "batch/job_table.h"
#include "gui_support.h"
#include "platform/sysio.h"
#include "ui/console_ui.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;
using guitest::ReadBytes;
using guitest::TestData;

std::string Progress(const std::string& path)
{
    return "Finished Processing file: " + path;
}

// Watches every file the engine opens, for the duration of one test.
std::function<void(const char*)> g_onOpen;

int OpenSpy(const char* path, int flags, mode_t mode)
{
    if (g_onOpen) {
        g_onOpen(path);
    }
    return RealSysIo().open(path, flags, mode);
}

class ConvertTest : public DialogTest {
protected:
    void TearDown() override
    {
        g_onOpen = nullptr;
        DialogTest::TearDown();
    }

    // The input files of the worked examples, copied into the test folder.
    std::string SweepInput(const std::string& name) const
    {
        return MakeInput(name, ReadBytes(TestData("iv_worked_example_count_2/input.idf")));
    }
    std::string ImpedanceInput(const std::string& name) const
    {
        return MakeInput(name, ReadBytes(TestData("eis_worked_example_area_2/input.csv")));
    }

    void Pick(const std::vector<std::string>& paths)
    {
        QueuePick(paths);
        Press(IDC_BROWSE);
    }

    // Clicks OK with the mouse and waits for the run to end.
    void ClickOkAndWait()
    {
        const int beepsBefore = m_beeps;
        const std::size_t boxesBefore = m_boxes.size();
        guitest::ClickCentre(m_dlg->FindWindow(wxID_OK));
        guitest::PumpUntil([&] { return m_beeps > beepsBefore || m_boxes.size() > boxesBefore; }, 5000);
    }
};

TEST_F(ConvertTest, SweepUsesTheAreaFromTheBox)
{
    const std::string input = SweepInput("cell_A_07.idf");
    Text(IDC_AREA)->SetValue("0.5");
    Pick({input});
    ClickOkAndWait();
    EXPECT_EQ(ReadBytes(m_dir / "cell_A_07+IV.txt"),
              ReadBytes(TestData("iv_worked_example_count_2/expected.txt")));
    EXPECT_EQ(m_beeps, 1);
    EXPECT_FALSE(guitest::fs::exists(m_dir / "123.xqrtmp"));
}

TEST_F(ConvertTest, ImpedanceUsesTheAreaFromTheBox)
{
    const std::string input = ImpedanceInput("scan_B_02.csv");
    Text(IDC_AREA)->SetValue("2");
    Pick({input});
    ClickOkAndWait();
    EXPECT_EQ(ReadBytes(m_dir / "scan_B_02+IV.txt"),
              ReadBytes(TestData("eis_worked_example_area_2/expected.txt")));
    EXPECT_EQ(m_beeps, 1);
}

TEST_F(ConvertTest, WithoutReduceNameOutputsKeepTheirLongNames)
{
    const std::string sweep = SweepInput("cell_A_07.idf");
    const std::string scan = ImpedanceInput("scan_B_02.csv");
    Pick({sweep, scan});
    MarkConsole();
    ClickOkAndWait();
    EXPECT_TRUE(guitest::fs::exists(m_dir / "cell_A_07+IV.txt"));
    EXPECT_TRUE(guitest::fs::exists(m_dir / "scan_B_02+IV.txt"));
    EXPECT_FALSE(guitest::fs::exists(m_dir / "07+IV.txt"));
    EXPECT_EQ(ConsoleLinesSinceMark(), (std::vector<std::string>{Progress(sweep), Progress(scan)}));
    EXPECT_EQ(m_beeps, 1);
}

TEST_F(ConvertTest, ReduceNameKeepsWhatFollowsTheLastUnderscore)
{
    const std::string sweep = SweepInput("cell_A_07.idf");
    const std::string scan = ImpedanceInput("scan_B_02.csv");
    Pick({sweep, scan});
    guitest::ClickCentre(Check(IDC_REDUCE_NAME));
    ASSERT_TRUE(Check(IDC_REDUCE_NAME)->IsChecked());
    Text(IDC_AREA)->SetValue("0.5");
    MarkConsole();
    ClickOkAndWait();
    EXPECT_EQ(ReadBytes(m_dir / "07+IV.txt"), ReadBytes(TestData("iv_worked_example_count_2/expected.txt")));
    EXPECT_TRUE(guitest::fs::exists(m_dir / "02+IV.txt"));
    EXPECT_FALSE(guitest::fs::exists(m_dir / "cell_A_07+IV.txt"));
    EXPECT_FALSE(guitest::fs::exists(m_dir / "scan_B_02+IV.txt"));
    EXPECT_EQ(ConsoleLinesSinceMark(), (std::vector<std::string>{Progress(sweep), Progress(scan)}));
}

TEST_F(ConvertTest, EachProgressLineShowsAsItsJobEnds)
{
    const std::string first = SweepInput("a.idf");
    const std::string second = SweepInput("b.idf");
    Pick({first, second});
    MarkConsole();
    std::vector<std::string> seenWhenSecondStarts;
    g_onOpen = [&](const char* path) {
        if (second == path) {
            seenWhenSecondStarts = ShownConsoleLinesSinceMark();
        }
    };
    ScopedSysIo restore;
    Sys().open = OpenSpy;
    Press(wxID_OK);
    EXPECT_EQ(seenWhenSecondStarts, (std::vector<std::string>{Progress(first)}));
    EXPECT_EQ(ConsoleLinesSinceMark(), (std::vector<std::string>{Progress(first), Progress(second)}));
}

TEST_F(ConvertTest, FileErrorInTheSecondOfThreeStopsTheRun)
{
    const std::string first = SweepInput("a.idf");
    const std::string missing = (m_dir / "b.idf").string();
    const std::string third = SweepInput("c.idf");
    Pick({first, missing, third});
    MarkConsole();
    ClickOkAndWait();
    EXPECT_TRUE(guitest::fs::exists(m_dir / "a+IV.txt"));
    EXPECT_FALSE(guitest::fs::exists(m_dir / "b+IV.txt"));
    EXPECT_FALSE(guitest::fs::exists(m_dir / "c+IV.txt"));
    ASSERT_EQ(m_boxes.size(), 1U);
    // Every line of a message ends in CR LF, the reason's paragraph too.
    EXPECT_EQ(m_boxes[0].rfind("The conversion stopped at " + missing + ".\r\n\r\n", 0), 0U) << m_boxes[0];
    EXPECT_NE(m_boxes[0].find(missing + ": No such file or directory"), std::string::npos) << m_boxes[0];
    EXPECT_EQ(m_beeps, 0);
    EXPECT_TRUE(m_dlg->IsShown());
    EXPECT_EQ(ConsoleLinesSinceMark(), (std::vector<std::string>{Progress(first)}));
    EXPECT_EQ(g_jobCount, 3);
}

TEST_F(ConvertTest, DialogCarriesOnAfterAFileError)
{
    const std::string missing = (m_dir / "gone.idf").string();
    Pick({missing});
    Press(wxID_OK);
    ASSERT_EQ(m_boxes.size(), 1U);
    Press(IDC_CLEAR);
    Pick({SweepInput("again.idf")});
    Press(wxID_OK);
    EXPECT_TRUE(guitest::fs::exists(m_dir / "again+IV.txt"));
    EXPECT_EQ(m_beeps, 1);
}

TEST_F(ConvertTest, ClicksDuringTheRunWaitUntilItEnds)
{
    Pick({SweepInput("a.idf"), SweepInput("b.idf"), SweepInput("c.idf")});
    const std::string second = (m_dir / "b.idf").string();
    bool clicked = false;
    g_onOpen = [&](const char* path) {
        if (!clicked && second == path) {
            clicked = true;
            // A click on "Clear" would empty the table at once. Sent
            // without pumping events: only the run itself may let it in.
            const wxRect clear = m_dlg->FindWindow(IDC_CLEAR)->GetScreenRect();
            wxUIActionSimulator sim;
            sim.MouseMove(clear.x + clear.width / 2, clear.y + clear.height / 2);
            sim.MouseClick();
        }
    };
    ScopedSysIo restore;
    Sys().open = OpenSpy;
    Press(wxID_OK);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(guitest::fs::exists(m_dir / "c+IV.txt")) << "the click got in during the run";
    EXPECT_EQ(m_beeps, 1);
    // The click was kept, not lost: it takes effect once the run is over.
    EXPECT_TRUE(guitest::PumpUntil([] { return g_jobCount == 0; }, 2000));
}

TEST_F(ConvertTest, RunWithoutJobsOnlyBeeps)
{
    MarkConsole();
    Press(wxID_OK);
    EXPECT_EQ(m_beeps, 1);
    EXPECT_TRUE(ConsoleLinesSinceMark().empty());
}

}  // namespace
