// The About entry of the window menu, the commands that open the About box,
// and the box itself.
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "gui_support.h"
#include "ui/about_box.h"
#include "ui/layout.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;
using AboutEntryTest = DialogTest;

void SendCommand(wxWindow* window, int id)
{
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(window);
    window->ProcessWindowEvent(command);
}

TEST_F(AboutEntryTest, MenuEndsWithSeparatorAndAboutEntry)
{
    wxMenu& menu = m_dlg->GetSystemMenu();
    const std::size_t count = menu.GetMenuItemCount();
    ASSERT_GE(count, 2U);
    EXPECT_TRUE(menu.FindItemByPosition(count - 2)->IsSeparator());
    const wxMenuItem* about = menu.FindItemByPosition(count - 1);
    EXPECT_EQ(about->GetId(), IDM_ABOUTBOX);
    EXPECT_EQ(about->GetItemLabel(), "&About Quillmere...");
}

class AboutCommandRangeTest : public DialogTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { DialogTest::SetUp(); }
    void TearDown() override { DialogTest::TearDown(); }
};

TEST_P(AboutCommandRangeTest, EveryCommandOfTheEntrysBlockOpensTheBox)
{
    SendCommand(m_dlg, GetParam());
    ASSERT_EQ(m_modalTitles.size(), 1U);
    EXPECT_EQ(m_modalTitles[0], "About Quillmere");
}

INSTANTIATE_TEST_SUITE_P(Commands, AboutCommandRangeTest, ::testing::Range(0x0010, 0x0020),
                         [](const auto& info) { return "Command" + std::to_string(info.param); });

TEST_F(AboutEntryTest, NeighbouringCommandsLeaveTheBoxShut)
{
    SendCommand(m_dlg, 0x0020);
    SendCommand(m_dlg, 0x000F);
    EXPECT_TRUE(m_modalTitles.empty());
    EXPECT_TRUE(m_dlg->IsShown());
}

TEST_F(AboutEntryTest, MenuEntryGoesThroughTheSameCommandHandler)
{
    // What a pick from the right-click menu sends to the dialog.
    const wxMenuItem* about = m_dlg->GetSystemMenu().FindItem(IDM_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    SendCommand(m_dlg, about->GetId());
    EXPECT_EQ(m_modalTitles.size(), 1U);
}

TEST(AboutEntryStringTest, WithoutTheStringNeitherSeparatorNorEntry)
{
    const StringResource empty[] = {{0, nullptr}};
    SetStringTable(empty);
    CConverterDlg dialog;
    dialog.Show();
    guitest::Pump(30);
    SetStringTable(UI_STRING_TABLE);
    wxMenu& menu = dialog.GetSystemMenu();
    EXPECT_EQ(menu.FindItem(IDM_ABOUTBOX), nullptr);
    for (const wxMenuItem* item : menu.GetMenuItems()) {
        EXPECT_FALSE(item->IsSeparator());
    }
    dialog.Hide();
}

TEST(AboutBoxTest, ShowsCaptionDateVersionAndIcon)
{
    CAboutBox box;
    EXPECT_EQ(box.GetTitle(), "About Quillmere");
    EXPECT_EQ(box.GetClientSize(), box.ConvertDialogToPixels(wxSize(235, 55)));
    std::vector<wxString> texts;
    int icons = 0;
    for (wxWindow* child : box.GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child)) {
            texts.push_back(text->GetLabel());
        }
        if (dynamic_cast<wxStaticBitmap*>(child) != nullptr) {
            ++icons;
            EXPECT_EQ(child->GetPosition(), box.ConvertDialogToPixels(wxPoint(11, 17)));
        }
    }
    EXPECT_EQ(texts, (std::vector<wxString>{"20240501", "Quillmere version " QUILLMERE_VERSION}));
    EXPECT_EQ(icons, 1);
    auto* ok = dynamic_cast<wxButton*>(box.FindWindow(wxID_OK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetPosition(), box.ConvertDialogToPixels(wxPoint(178, 7)));
    EXPECT_EQ(box.GetDefaultItem(), ok);
}

TEST(AboutBoxTest, OkEndsTheBox)
{
    CAboutBox box;
    box.CallAfter([&box] {
        wxWindow* ok = box.FindWindow(wxID_OK);
        wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
        click.SetEventObject(ok);
        ok->ProcessWindowEvent(click);
    });
    EXPECT_EQ(box.ShowModal(), wxID_OK);
}

}  // namespace
