// The dialog's "Scientific number format": a checkable entry of its
// right-click menu, kept for the session and taken into the conversion
// when OK is pressed; and the end-of-run box that names files which lost
// small values in the six-decimal form.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/menu.h>

#include "engine/settings.h"
#include "gui_support.h"
#include "ui/resource.h"

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

namespace {

using guitest::DialogTest;
using guitest::ReadBytes;
using guitest::TestData;

class NumberFormatTest : public DialogTest {
protected:
    void SetUp() override
    {
        m_savedForm = g_scientificFormat;
        DialogTest::SetUp();
    }
    void TearDown() override
    {
        DialogTest::TearDown();
        g_scientificFormat = m_savedForm;
    }

    const wxMenuItem* Entry() const { return m_dlg->GetSystemMenu().FindItem(IDM_SCIENTIFIC_FORMAT); }

    // What a pick of the entry sends to the dialog.
    void Choose()
    {
        wxCommandEvent command(wxEVT_MENU, IDM_SCIENTIFIC_FORMAT);
        command.SetEventObject(m_dlg);
        m_dlg->ProcessWindowEvent(command);
    }

    // The microelectrode sweep as a job of the dialog; returns its output's path.
    std::string PickMicroelectrodeSweep()
    {
        const std::string input = MakeInput(
            "ume_D_04.idf", ReadBytes(TestData("iv_microelectrode_currents_lose_their_digits/input.idf")));
        QueuePick(std::vector<std::string>{input});
        Press(IDC_BROWSE);
        return (m_dir / "ume_D_04+IV.txt").string();
    }

private:
    bool m_savedForm = false;
};

TEST_F(NumberFormatTest, EntryIsCheckableUncheckedAndOutsideTheAboutBlock)
{
    const wxMenuItem* entry = Entry();
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->IsCheckable());
    EXPECT_FALSE(entry->IsChecked());
    EXPECT_EQ(entry->GetItemLabelText(), "Scientific number format");
    EXPECT_NE(IDM_SCIENTIFIC_FORMAT & 0xFFF0, IDM_ABOUTBOX);
}

TEST_F(NumberFormatTest, EachPickTurnsItOverWithoutOpeningAnything)
{
    const bool expected[] = {true, false, true};
    for (const bool checked : expected) {
        Choose();
        EXPECT_EQ(Entry()->IsChecked(), checked);
    }
    EXPECT_TRUE(m_modalTitles.empty());
    EXPECT_TRUE(m_boxes.empty());
    // The setting is taken only when OK is pressed.
    EXPECT_FALSE(g_scientificFormat);
}

TEST_F(NumberFormatTest, OkTakesTheEntryForTheWholeRun)
{
    const std::string output = PickMicroelectrodeSweep();
    Choose();
    Press(wxID_OK);
    EXPECT_TRUE(g_scientificFormat);
    EXPECT_EQ(ReadBytes(output),
              ReadBytes(TestData("iv_microelectrode_scientific_form_keeps_them/expected.txt")));
    EXPECT_TRUE(m_boxes.empty()) << "nothing was lost";

    // Kept until it is turned off again; the next OK writes six decimals.
    Choose();
    Press(wxID_OK);
    EXPECT_FALSE(g_scientificFormat);
    EXPECT_EQ(ReadBytes(output),
              ReadBytes(TestData("iv_microelectrode_currents_lose_their_digits/expected.txt")));
}

TEST_F(NumberFormatTest, EndOfRunBoxNamesTheFileThatLostSmallValues)
{
    const std::string output = PickMicroelectrodeSweep();
    Press(wxID_OK);
    ASSERT_EQ(m_boxes.size(), 1U);
    const std::string input = (m_dir / "ume_D_04.idf").string();
    EXPECT_EQ(m_boxes[0],
              "This file lost small values:\r\n\r\n" + input +
                  ": 20 of its 121 non-zero values come out as 0.000000 or -0.000000 and 21 more with fewer "
                  "than three significant digits; the scientific number format keeps them (quillmere-convert "
                  "--scientific, or \"Scientific number format\" in the dialog's right-click menu)\r\n");
}

#ifdef __WXMSW__
TEST_F(NumberFormatTest, WindowsOwnMenuKeepsOnlyAbout)
{
    // The entry lives in the right-click menu; the system menu gains nothing but About.
    const HMENU menu = ::GetSystemMenu(m_dlg->GetHWND(), FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(::GetMenuState(menu, IDM_SCIENTIFIC_FORMAT, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(Entry(), nullptr);
}
#endif

}  // namespace
