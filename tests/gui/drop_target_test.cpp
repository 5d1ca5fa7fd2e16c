// The dialog's drop target, driven directly, as every system's build can:
// only the dialog takes drops, and a drop of a file and two folders becomes
// jobs in the dropped order with one message for the folder that gave none.
// drop_test.cpp drags real files over the X display.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dnd.h>

#include "batch/job_table.h"
#include "gui_support.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;
using DropTargetTest = DialogTest;
namespace fs = std::filesystem;

void ExpectNoDropTargetInside(wxWindow* window)
{
    for (wxWindow* child : window->GetChildren()) {
        EXPECT_EQ(child->GetDropTarget(), nullptr) << child->GetId();
        ExpectNoDropTargetInside(child);
    }
}

TEST_F(DropTargetTest, OnlyTheDialogTakesDrops)
{
    EXPECT_NE(dynamic_cast<wxFileDropTarget*>(m_dlg->GetDropTarget()), nullptr);
    ExpectNoDropTargetInside(m_dlg);
}

TEST_F(DropTargetTest, FilesAndFoldersBecomeJobsInTheDroppedOrder)
{
    const fs::path run = m_dir / "run";
    const fs::path empty = m_dir / "empty";
    fs::create_directories(run / "sub");
    fs::create_directories(empty);
    const std::string sweep = guitest::ReadBytes(guitest::TestData("iv_line_ends_crlf/input.idf"));
    for (const char* name : {"b.idf", "notes.txt", "sub/c.idf"}) {
        guitest::WriteBytes(run / name, sweep);
    }
    guitest::WriteBytes(run / "a.csv", guitest::ReadBytes(guitest::TestData("eis_line_ends_crlf/input.csv")));
    const std::string single = MakeInput("single.idf", sweep);

    wxArrayString dropped;
    for (const fs::path& path : {run, empty, fs::path(single)}) {
        dropped.Add(wxString::FromUTF8(path.string()));
    }
    auto* target = dynamic_cast<wxFileDropTarget*>(m_dlg->GetDropTarget());
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(target->OnDropFiles(0, 0, dropped));

    const std::vector<std::string> expected = {(run / "a.csv").string(), (run / "b.idf").string(), single};
    ASSERT_EQ(g_jobCount, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g_sourceEntries[i].fullPath.str(), expected[i]);
    }
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "a\r\nb\r\nsingle\r\n");
    ASSERT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_boxes[0], "Nothing was added from the folder " + empty.string() +
                              ": no data files (names with \".idf\" or \".csv\").");

    Press(wxID_OK);
    EXPECT_EQ(m_boxes.size(), 1U);
    EXPECT_TRUE(fs::exists(run / "a+IV.txt"));
    EXPECT_TRUE(fs::exists(run / "b+IV.txt"));
    EXPECT_TRUE(fs::exists(m_dir / "single+IV.txt"));
    EXPECT_FALSE(fs::exists(run / "notes+IV.txt"));
    EXPECT_FALSE(fs::exists(run / "sub" / "c+IV.txt"));
}

}  // namespace
