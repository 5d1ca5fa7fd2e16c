// The main dialog as it stands after start-up, its controls where the
// template puts them, and the three ways out: Cancel, Escape, close box.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "batch/job_table.h"
#include "engine/settings.h"
#include "gui_support.h"
#include "ui/console_ui.h"
#include "ui/converter_app.h"
#include "ui/layout.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;

using StartupTest = DialogTest;

TEST_F(StartupTest, AreaIsOneAndEchoedWithTheFlagSet)
{
    EXPECT_EQ(Text(IDC_AREA)->GetValue(), "1.0");
    EXPECT_EQ(Text(IDC_AREA_ECHO)->GetValue(), "Area=1.000000");
    EXPECT_FLOAT_EQ(g_surfaceArea, 1.0f);
    EXPECT_EQ(g_areaEnabled, 1);
}

TEST_F(StartupTest, ListIsEmptyAndReduceNameUnticked)
{
    EXPECT_EQ(g_jobCount, 0);
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "");
    EXPECT_FALSE(Check(IDC_REDUCE_NAME)->IsChecked());
}

TEST_F(StartupTest, CaptionAndWindowIcon)
{
    EXPECT_EQ(m_dlg->GetTitle(), "Quillmere_IV_To TXT(Brenholt)");
    EXPECT_TRUE(m_dlg->GetIcons().GetIcon(64).IsOk());
    EXPECT_EQ(m_dlg->OnQueryDragIcon().GetWidth(), 64);
    EXPECT_EQ(m_dlg->OnQueryDragIcon().GetHeight(), 64);
}

// Where each control of the main dialog belongs, in dialog units, written
// out here rather than read from the dialog's own template, so that a wrong
// entry there shows.
struct PlacedControl {
    int id;            // IDC_STATIC: found by its text, as the toolkit numbers it itself
    const char* text;  // null for the edit boxes, whose text is their content
    int x, y, w, h;
};

const PlacedControl MAIN_DIALOG_PLACES[] = {
    {wxID_OK, "OK", 64, 172, 50, 14},
    {wxID_CANCEL, "Cancel", 153, 173, 50, 14},
    {IDC_FILE_LIST, nullptr, 43, 16, 162, 75},
    {IDC_BROWSE, "...", 211, 18, 20, 14},
    {IDC_STATIC, "Surface area ", 51, 132, 53, 8},
    {IDC_AREA, nullptr, 110, 130, 40, 14},
    {IDC_AREA_ECHO, nullptr, 54, 152, 186, 14},
    {IDC_REDUCE_NAME, "Reduce File Name", 48, 105, 80, 10},
    {IDC_LINK, "AD", 250, 71, 50, 14},
    {IDC_CLEAR, "Clear", 155, 94, 50, 14},
};

TEST_F(StartupTest, EveryControlSitsAtItsDialogUnitPlace)
{
    for (const PlacedControl& c : MAIN_DIALOG_PLACES) {
        wxWindow* control = nullptr;
        if (c.id != IDC_STATIC) {
            control = m_dlg->FindWindow(c.id);
        } else {
            for (wxWindow* child : m_dlg->GetChildren()) {
                if (child->GetLabel() == c.text) control = child;
            }
        }
        ASSERT_NE(control, nullptr) << "control " << c.id << " " << (c.text ? c.text : "");
        EXPECT_EQ(control->GetPosition(), wxDLG_UNIT(m_dlg, wxPoint(c.x, c.y))) << "control " << c.id;
        EXPECT_EQ(control->GetSize(), wxDLG_UNIT(m_dlg, wxSize(c.w, c.h))) << "control " << c.id;
        if (c.text != nullptr) {
            EXPECT_EQ(control->GetLabel(), c.text) << "control " << c.id;
        }
    }
    EXPECT_EQ(m_dlg->GetChildren().size(), std::size(MAIN_DIALOG_PLACES)) << "no control more or less";
    EXPECT_EQ(m_dlg->GetClientSize(), wxDLG_UNIT(m_dlg, wxSize(320, 200)));
}

TEST_F(StartupTest, EveryControlLiesInsideTheDialog)
{
    const wxRect client(m_dlg->GetClientSize());
    for (wxWindow* child : m_dlg->GetChildren()) {
        EXPECT_TRUE(client.Contains(child->GetRect())) << child->GetLabel();
    }
}

TEST_F(StartupTest, OkIsTheDefaultButton)
{
    EXPECT_EQ(m_dlg->GetDefaultItem(), m_dlg->FindWindow(wxID_OK));
}

TEST_F(StartupTest, FileListAcceptsTypedDigitsOnly)
{
    wxTextCtrl* list = Text(IDC_FILE_LIST);
    guitest::ClickCentre(list);
    wxUIActionSimulator sim;
    sim.Text("a1b2");
    EXPECT_TRUE(guitest::PumpUntil([list] { return list->GetValue() == "12"; }, 1500))
        << "list holds \"" << list->GetValue() << "\"";
}

TEST_F(StartupTest, ConsoleIsOpenBesideTheDialog)
{
    CConsoleWindow* console = DiagnosticConsole();
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(console->IsShown());
    EXPECT_EQ(console->GetTitle(), "Data conversion by quillmere@example.org");
    EXPECT_GT(console->GetPosition().x, m_dlg->GetRect().GetRight());
    EXPECT_EQ(console->GetPosition().y, m_dlg->GetPosition().y);
}

TEST_F(StartupTest, OkDoesNotCloseTheDialog)
{
    Press(wxID_OK);
    guitest::Pump(30);
    EXPECT_TRUE(m_dlg->IsShown());
    EXPECT_EQ(m_beeps, 1);  // the run of no job still ends with its beep
}

// Runs a fresh dialog the way the program does; `action` runs once it is
// up. Returns the id that ended it.
int RunModalWith(const std::function<void(CConverterDlg&)>& action)
{
    CConverterDlg dialog;
    wxTheApp->SetTopWindow(&dialog);
    dialog.CallAfter([&dialog, action] { action(dialog); });
    const int result = RunDialog(dialog);
    wxTheApp->SetTopWindow(nullptr);
    return result;
}

void ClickButton(wxWindow& dialog, int id)
{
    wxWindow* button = dialog.FindWindow(id);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

TEST(EndingTest, CancelEndsTheModalDialog)
{
    EXPECT_EQ(RunModalWith([](CConverterDlg& d) { ClickButton(d, wxID_CANCEL); }), wxID_CANCEL);
}

TEST(EndingTest, EscapeEndsTheModalDialog)
{
    EXPECT_EQ(RunModalWith([](CConverterDlg& d) {
                  wxKeyEvent escape(wxEVT_CHAR_HOOK);
                  escape.m_keyCode = WXK_ESCAPE;
                  escape.SetEventObject(&d);
                  d.ProcessWindowEvent(escape);
              }),
              wxID_CANCEL);
}

TEST(EndingTest, CloseBoxEndsTheModalDialog)
{
    EXPECT_EQ(RunModalWith([](CConverterDlg& d) { d.Close(); }), wxID_CANCEL);
}

TEST(EndingTest, OkLeavesTheDialogRunning)
{
    bool stillShown = false;
    ScopedBeepSink quiet([](UINT) {});
    EXPECT_EQ(RunModalWith([&stillShown](CConverterDlg& d) {
                  ClickButton(d, wxID_OK);
                  d.CallAfter([&stillShown, &d] {
                      stillShown = d.IsShown();
                      ClickButton(d, wxID_CANCEL);
                  });
              }),
              wxID_CANCEL);
    EXPECT_TRUE(stillShown);
}

TEST(EndingTest, ConsoleTakesClicksWhileTheDialogRuns)
{
    wxString selected;
    RunModalWith([&selected](CConverterDlg& d) {
        CConsoleWindow* console = DiagnosticConsole();
        console->AppendOutput("\nselectable\n");
        auto* text = dynamic_cast<wxTextCtrl*>(console->GetChildren().front());
        text->ShowPosition(text->GetLastPosition());
        guitest::Pump(100);
        // Double-clicking a word of the console selects it.
        const long start = text->GetValue().rfind("selectable");
        const wxPoint word = text->ClientToScreen(text->PositionToCoords(start + 3));
        wxUIActionSimulator sim;
        sim.MouseMove(word.x, word.y + text->GetCharHeight() / 2);
        guitest::Pump(30);
        sim.MouseDblClick();
        guitest::PumpUntil([&] { return !text->GetStringSelection().empty(); }, 1500);
        selected = text->GetStringSelection();
        ClickButton(d, wxID_CANCEL);
    });
    EXPECT_EQ(selected, "selectable");
}

}  // namespace
