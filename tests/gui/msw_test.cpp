// What only the Windows build of the dialog does: the About entry in the
// window's own system menu, the minimised window's icon and drag icon, and
// the system's console with its title, its missing Close command and the
// standard streams reopened on it.
#include <io.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include "gui_support.h"
#include "ui/console_msw.h"
#include "ui/console_ui.h"
#include "ui/resource.h"

#include <wx/msw/wrapwin.h>

namespace {

using guitest::DialogTest;

struct MenuItem {
    UINT id;
    UINT type;
    std::string text;
};

std::vector<MenuItem> Items(HMENU menu)
{
    std::vector<MenuItem> items;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) {
            items.push_back({info.wID, info.fType, text});
        }
    }
    return items;
}

bool HasCommand(HMENU menu, UINT command)
{
    return ::GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

using SystemMenuTest = DialogTest;

TEST_F(SystemMenuTest, EndsWithSeparatorAndAboutEntryAfterTheUsualCommands)
{
    const HMENU menu = ::GetSystemMenu(m_dlg->GetHWND(), FALSE);
    ASSERT_NE(menu, nullptr);
    const std::vector<MenuItem> items = Items(menu);
    ASSERT_GE(items.size(), 3U);
    EXPECT_TRUE(items[items.size() - 2].type & MFT_SEPARATOR);
    EXPECT_EQ(items.back().id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(items.back().text, "&About Quillmere...");
    // The entry is there once, the usual commands before it.
    int abouts = 0;
    for (const MenuItem& item : items) {
        abouts += item.id == static_cast<UINT>(IDM_ABOUTBOX);
    }
    EXPECT_EQ(abouts, 1);
    EXPECT_TRUE(HasCommand(menu, SC_CLOSE));
    EXPECT_TRUE(HasCommand(menu, SC_MOVE));
    EXPECT_TRUE(HasCommand(menu, SC_MINIMIZE));
}

class SystemCommandRangeTest : public DialogTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { DialogTest::SetUp(); }
    void TearDown() override { DialogTest::TearDown(); }
};

TEST_P(SystemCommandRangeTest, EveryCommandOfTheEntrysBlockOpensTheBox)
{
    ::SendMessageA(m_dlg->GetHWND(), WM_SYSCOMMAND, static_cast<WPARAM>(GetParam()), 0);
    ASSERT_EQ(m_modalTitles.size(), 1U);
    EXPECT_EQ(m_modalTitles[0], "About Quillmere");
}

INSTANTIATE_TEST_SUITE_P(Commands, SystemCommandRangeTest, ::testing::Range(0x0010, 0x0020),
                         [](const auto& info) { return "Command" + std::to_string(info.param); });

TEST_F(SystemMenuTest, OtherSystemCommandsKeepWorking)
{
    const HWND window = m_dlg->GetHWND();
    ::SendMessageA(window, WM_SYSCOMMAND, 0x0020, 0);
    ::SendMessageA(window, WM_SYSCOMMAND, 0x000F, 0);
    EXPECT_TRUE(m_modalTitles.empty());
    ::SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(guitest::PumpUntil([window] { return ::IsIconic(window) != FALSE; }));
    ::SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(guitest::PumpUntil([window] { return ::IsIconic(window) == FALSE; }));
    EXPECT_TRUE(m_modalTitles.empty());
    EXPECT_TRUE(m_dlg->IsShown());
}

TEST_F(SystemMenuTest, DragIconIsTheWindowIcon)
{
    const LRESULT icon = ::SendMessageA(m_dlg->GetHWND(), WM_QUERYDRAGICON, 0, 0);
    EXPECT_NE(icon, 0);
    EXPECT_EQ(reinterpret_cast<HICON>(icon), m_dlg->OnQueryDragIcon().GetHICON());
}

TEST_F(SystemMenuTest, MinimisedWindowPaintsItsIconWithoutTheDefaultPainting)
{
    const HWND window = m_dlg->GetHWND();
    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(guitest::PumpUntil([window] { return ::IsIconic(window) != FALSE; }));
    // Where the system gives a minimised window no room to paint (as most
    // do today), there is nothing to look at; the painting must still run
    // without the dialog's own painting and leave nothing to repaint.
    ::InvalidateRect(window, nullptr, TRUE);
    ::UpdateWindow(window);
    RECT update;
    EXPECT_FALSE(::GetUpdateRect(window, &update, FALSE));
    RECT client;
    ::GetClientRect(window, &client);
    if (client.right - client.left >= ::GetSystemMetrics(SM_CXICON) &&
        client.bottom - client.top >= ::GetSystemMetrics(SM_CYICON)) {
        const HDC dc = ::GetDC(window);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(m_dlg->OnQueryDragIcon().GetHICON(), &info));
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        const COLORREF centre =
            ::GetPixel(dc, (client.right - client.left) / 2, (client.bottom - client.top) / 2);
        ::ReleaseDC(window, dc);
        if (centre != CLR_INVALID) {
            EXPECT_NE(centre, ::GetSysColor(COLOR_BTNFACE)) << "the icon's middle is not drawn";
        }
    }
    ::ShowWindow(window, SW_RESTORE);
}

using ConsoleTest = DialogTest;

TEST_F(ConsoleTest, OwnConsoleWindowWithItsTitle)
{
    const HWND console = static_cast<HWND>(ConsoleWindowHandle());
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(::IsWindowVisible(console));
    char title[256] = {};
    ::GetConsoleTitleA(title, sizeof title);
    EXPECT_EQ(std::string(title), "Data conversion by quillmere@example.org");
    EXPECT_EQ(ConsoleTitle(), "Data conversion by quillmere@example.org");
    char caption[256] = {};
    ::GetWindowTextA(console, caption, sizeof caption);
    EXPECT_EQ(std::string(caption), title);
}

TEST_F(ConsoleTest, StandardOutputAndInputAreTheConsoleAndStandardErrorIsNot)
{
    DWORD mode = 0;
    const HANDLE out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    const HANDLE in = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin)));
    const HANDLE err = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stderr)));
    EXPECT_TRUE(::GetConsoleMode(out, &mode)) << "standard output is not a console screen";
    EXPECT_TRUE(::GetConsoleMode(in, &mode)) << "standard input is not a console input";
    EXPECT_FALSE(::GetConsoleMode(err, &mode)) << "standard error was moved to the console";
}

TEST_F(ConsoleTest, PrintedLinesShowInTheConsoleInOrder)
{
    MarkConsole();
    std::printf("Finished Processing file: %s\r\n", "C:\\run\\first.idf");
    std::printf("Finished Processing file: %s\r\n", "C:\\run\\second.csv");
    EXPECT_EQ(ConsoleLinesSinceMark(),
              (std::vector<std::string>{"Finished Processing file: C:\\run\\first.idf",
                                        "Finished Processing file: C:\\run\\second.csv"}));
}

TEST_F(ConsoleTest, LongLinesComeBackWholeFromTheScreen)
{
    MarkConsole();
    const std::string path = "C:\\" + std::string(150, 'p') + ".idf";
    std::printf("Finished Processing file: %s\r\n", path.c_str());
    EXPECT_EQ(ConsoleLinesSinceMark(), std::vector<std::string>{"Finished Processing file: " + path});
}

TEST_F(ConsoleTest, ASecondOpeningKeepsTheSameConsole)
{
    const void* before = ConsoleWindowHandle();
    OpenDiagnosticConsole();
    EXPECT_EQ(ConsoleWindowHandle(), before);
    EXPECT_NE(DiagnosticConsole(), nullptr);
}

TEST_F(ConsoleTest, ConsoleMenuHasNoCloseCommandWhereItCanBeReached)
{
    // Under Wine the console window belongs to a helper process whose menu
    // cannot be reached from here; on Windows it can.
    const HMENU menu = ::GetSystemMenu(static_cast<HWND>(ConsoleWindowHandle()), FALSE);
    if (menu == nullptr) {
        GTEST_SKIP() << "the console's menu belongs to another process here";
    }
    EXPECT_FALSE(HasCommand(menu, SC_CLOSE));
    EXPECT_TRUE(HasCommand(menu, SC_MOVE));
}

TEST_F(ConsoleTest, OkConvertsAndTheConsoleShowsEachFileAsItEnds)
{
    const std::string sweep =
        MakeInput("cell_A_07.idf", guitest::ReadBytes(guitest::TestData("iv_blank_lines_vanish/input.idf")));
    const std::string scan = MakeInput(
        "scan_B_02.csv", guitest::ReadBytes(guitest::TestData("eis_worked_example_area_2/input.csv")));
    QueuePick(std::vector<std::string>{sweep});
    Press(IDC_BROWSE);
    MarkConsole();
    Press(wxID_OK);
    EXPECT_EQ(guitest::ReadBytes(m_dir / "cell_A_07+IV.txt"),
              guitest::ReadBytes(guitest::TestData("iv_blank_lines_vanish/expected.txt")));

    Press(IDC_CLEAR);
    Text(IDC_AREA)->SetValue("2");
    Check(IDC_REDUCE_NAME)->SetValue(true);
    QueuePick(std::vector<std::string>{scan});
    Press(IDC_BROWSE);
    Press(wxID_OK);
    EXPECT_EQ(guitest::ReadBytes(m_dir / "02+IV.txt"),
              guitest::ReadBytes(guitest::TestData("eis_worked_example_area_2/expected.txt")));
    EXPECT_EQ(ConsoleLinesSinceMark(), (std::vector<std::string>{"Finished Processing file: " + sweep,
                                                                 "Finished Processing file: " + scan}));
    EXPECT_EQ(m_beeps, 2);
}

TEST(CloseCommandTest, RemovingCloseLeavesTheOtherCommands)
{
    auto* frame = new wxFrame(nullptr, wxID_ANY, "frame with a close box");
    frame->Show();
    guitest::Pump(30);
    const HWND window = frame->GetHWND();
    ASSERT_TRUE(HasCommand(::GetSystemMenu(window, FALSE), SC_CLOSE));
    EXPECT_TRUE(RemoveCloseCommand(window));
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    EXPECT_FALSE(HasCommand(menu, SC_CLOSE));
    EXPECT_TRUE(HasCommand(menu, SC_MOVE));
    EXPECT_TRUE(HasCommand(menu, SC_MINIMIZE));
    frame->Destroy();
    guitest::Pump(20);
}

TEST(CloseCommandTest, NoWindowNoChange)
{
    EXPECT_FALSE(RemoveCloseCommand(nullptr));
}

}  // namespace
