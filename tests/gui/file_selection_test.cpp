// Files reach the job table through "..." (with the file dialog replaced
// by a prepared answer) and by dropping them onto the dialog; "Clear"
// empties the table; the table never takes a 1001st job.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dnd.h>

#include "batch/job_table.h"
#include "engine/settings.h"
#include "gui_support.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;
using FileSelectionTest = DialogTest;

TEST_F(FileSelectionTest, PickedFilesBecomeJobsWithTheirNamesListed)
{
    QueuePick(std::vector<std::string>{"/run/cell_A_07.idf", "/run/scan.csv"});
    Press(IDC_BROWSE);
    EXPECT_EQ(m_pickCalls, 1);
    ASSERT_EQ(g_jobCount, 2);
    EXPECT_EQ(g_targetEntries[0].fullPath.str(), "/run/cell_A_07+IV.txt");
    EXPECT_EQ(g_targetEntries[1].fullPath.str(), "/run/scan+IV.txt");
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "cell_A_07\r\nscan\r\n");
}

TEST_F(FileSelectionTest, TwoSelectionsAppendInTheOrderPicked)
{
    QueuePick(std::vector<std::string>{"/run/a.idf", "/run/b.idf"});
    QueuePick(std::vector<std::string>{"/run/c.csv", "/run/d.csv"});
    Press(IDC_BROWSE);
    Press(IDC_BROWSE);
    ASSERT_EQ(g_jobCount, 4);
    EXPECT_EQ(g_sourceEntries[2].fullPath.str(), "/run/c.csv");
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "a\r\nb\r\nc\r\nd\r\n");
}

TEST_F(FileSelectionTest, CancelRewritesTheSameList)
{
    QueuePick(std::vector<std::string>{"/run/a.idf", "/run/b.idf"});
    Press(IDC_BROWSE);
    Text(IDC_FILE_LIST)->SetValue("123");  // typed into the list: no effect on the jobs
    QueuePick(std::nullopt);
    Press(IDC_BROWSE);
    EXPECT_EQ(g_jobCount, 2);
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "a\r\nb\r\n");
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(FileSelectionTest, BrowseButtonClickAsksForFiles)
{
    QueuePick(std::vector<std::string>{"/run/clicked.idf"});
    guitest::ClickCentre(m_dlg->FindWindow(IDC_BROWSE));
    EXPECT_TRUE(guitest::PumpUntil([this] { return m_pickCalls == 1; }, 1500));
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "clicked\r\n");
}

TEST_F(FileSelectionTest, DroppedFileBecomesAJob)
{
    QueuePick(std::vector<std::string>{"/run/first.idf"});
    Press(IDC_BROWSE);
    auto* drop = dynamic_cast<wxFileDropTarget*>(m_dlg->GetDropTarget());
    ASSERT_NE(drop, nullptr);
    wxArrayString files;
    files.Add("/lab/dropped_B_02.csv");
    EXPECT_TRUE(drop->OnDropFiles(10, 10, files));
    ASSERT_EQ(g_jobCount, 2);
    EXPECT_EQ(g_targetEntries[1].fullPath.str(), "/lab/dropped_B_02+IV.txt");
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "first\r\ndropped_B_02\r\n");
}

TEST_F(FileSelectionTest, ClearEmptiesTheTableAndKeepsTheSettings)
{
    QueuePick(std::vector<std::string>{"/run/a.idf", "/run/b.idf"});
    Press(IDC_BROWSE);
    Check(IDC_REDUCE_NAME)->SetValue(true);
    Text(IDC_AREA)->SetValue("2.5");
    Press(IDC_CLEAR);
    EXPECT_EQ(g_jobCount, 0);
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "");
    EXPECT_FLOAT_EQ(g_surfaceArea, 2.5f);
    EXPECT_EQ(g_areaEnabled, 1);
    EXPECT_TRUE(Check(IDC_REDUCE_NAME)->IsChecked());
    QueuePick(std::vector<std::string>{"/new/x.csv"});
    Press(IDC_BROWSE);
    ASSERT_EQ(g_jobCount, 1);
    EXPECT_EQ(g_targetEntries[0].fullPath.str(), "/new/x+IV.txt");
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "x\r\n");
}

std::vector<std::string> ManyPaths(int count, const char* stem)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back("/many/" + std::string(stem) + std::to_string(i) + ".idf");
    }
    return paths;
}

TEST_F(FileSelectionTest, ThousandAndFirstFileIsRefusedAndCounted)
{
    QueuePick(ManyPaths(1001, "f"));
    Press(IDC_BROWSE);
    EXPECT_EQ(g_jobCount, MAX_JOBS);
    ASSERT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_boxes[0], "The file list is full (1000 files). 1 file was not added.");
    EXPECT_EQ(g_sourceEntries[MAX_JOBS - 1].fullPath.str(), "/many/f999.idf");
    EXPECT_EQ(guitest::Lines(Text(IDC_FILE_LIST)->GetValue().utf8_string()).size(), 1000U);
}

TEST_F(FileSelectionTest, DropOntoAFullTableIsRefusedWithAMessage)
{
    QueuePick(ManyPaths(1000, "f"));
    Press(IDC_BROWSE);
    wxArrayString files;
    files.Add("/lab/late.idf");
    files.Add("/lab/later.idf");
    dynamic_cast<wxFileDropTarget*>(m_dlg->GetDropTarget())->OnDropFiles(0, 0, files);
    EXPECT_EQ(g_jobCount, MAX_JOBS);
    ASSERT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_boxes[0], "The file list is full (1000 files). 2 files were not added.");
}

}  // namespace
