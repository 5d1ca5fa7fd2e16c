// The diagnostic console on Windows: a console of the system's own, opened
// for the windowed program. Standard output and input are reopened on it, so
// the progress lines appear there as they are written; its Close command is
// removed, since closing a console ends the process that owns it.
#include "ui/console_msw.h"

#include <cstdio>

#include <wx/app.h>
#include <wx/display.h>

#include "ui/console_ui.h"
#include "ui/layout.h"
#include "ui/resource.h"

// Last: its macros must not rename anything declared above.
#include <wx/msw/wrapwin.h>

namespace {

// Cells of a new console's screen and its frame, for placing the dialog
// before the console exists.
constexpr int DEFAULT_COLUMNS = 80;
constexpr int DEFAULT_ROWS = 25;
constexpr int DEFAULT_CELL_W = 8;
constexpr int DEFAULT_CELL_H = 16;

// Rows of progress lines the console keeps for scrolling back.
constexpr SHORT SCROLL_BACK_ROWS = 3000;

CConsoleWindow* g_console = nullptr;

PixelRect ToPixelRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// Puts the console to the right of the top window, on the same screen.
void PlaceBesideTopWindow(HWND console)
{
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    RECT own;
    if (top == nullptr || console == nullptr || !::GetWindowRect(console, &own)) {
        return;
    }
    const int screenIndex = wxDisplay::GetFromWindow(top);
    const wxDisplay display(screenIndex == wxNOT_FOUND ? 0U : static_cast<unsigned>(screenIndex));
    const wxRect area = display.GetClientArea();
    const wxRect dialog = top->GetRect();
    const PixelRect size = ToPixelRect(own);
    const PixelPoint at =
        ConsoleOriginBeside({dialog.x, dialog.y, dialog.width, dialog.height},
                            {area.x, area.y, area.width, area.height}, size.w, size.h, CONSOLE_GAP);
    ::SetWindowPos(console, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A new console may keep no more rows than its window shows.
void KeepLinesToScrollBack()
{
    const HANDLE screen =
        ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (screen == INVALID_HANDLE_VALUE) {
        return;
    }
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (::GetConsoleScreenBufferInfo(screen, &info) && info.dwSize.Y < SCROLL_BACK_ROWS) {
        ::SetConsoleScreenBufferSize(screen, {info.dwSize.X, SCROLL_BACK_ROWS});
    }
    ::CloseHandle(screen);
}

}  // namespace

void* ConsoleWindowHandle()
{
    // Looked up rather than imported: systems without the query still start.
    using Query = HWND(WINAPI*)();
    const HMODULE kernel = ::GetModuleHandleA("kernel32");
    const FARPROC found = kernel != nullptr ? ::GetProcAddress(kernel, "GetConsoleWindow") : nullptr;
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(found));
    return query != nullptr ? query() : nullptr;
}

bool RemoveCloseCommand(void* window)
{
    const HWND handle = static_cast<HWND>(window);
    const HMENU menu = handle != nullptr ? ::GetSystemMenu(handle, FALSE) : nullptr;
    if (menu == nullptr) {
        return false;
    }
    ::DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
    ::DrawMenuBar(handle);
    return true;
}

std::string ConsoleScreenText()
{
    const HANDLE screen =
        ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (screen == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (::GetConsoleScreenBufferInfo(screen, &info)) {
        const SHORT width = info.dwSize.X;
        std::string row(static_cast<std::size_t>(width), ' ');
        for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
            // The cursor's row only up to the cursor: what follows it has
            // not been written yet.
            const SHORT cells = y < info.dwCursorPosition.Y ? width : info.dwCursorPosition.X;
            DWORD got = 0;
            if (cells > 0 &&
                !::ReadConsoleOutputCharacterA(screen, row.data(), static_cast<DWORD>(cells), {0, y}, &got)) {
                break;
            }
            const std::string_view shown(row.data(), got);
            if (y == info.dwCursorPosition.Y) {
                text.append(shown);
                break;
            }
            // A row filled to its last cell was wrapped and goes on in the
            // next one; any other row ended with a line break.
            if (got == static_cast<DWORD>(width) && width > 0 && shown.back() != ' ') {
                text.append(shown);
                continue;
            }
            const std::size_t end = shown.find_last_not_of(' ');
            text.append(shown.substr(0, end == std::string_view::npos ? 0 : end + 1));
            text += '\n';
        }
    }
    ::CloseHandle(screen);
    return text;
}

// On Windows the console window is the system's; this object stands for it
// and has no window of the toolkit's.
wxBEGIN_EVENT_TABLE(CConsoleWindow, wxFrame)
    EVT_CLOSE(CConsoleWindow::OnClose)
wxEND_EVENT_TABLE()

CConsoleWindow::CConsoleWindow() : wxFrame() {}

void CConsoleWindow::AppendOutput(const std::string& raw)
{
    std::fwrite(raw.data(), 1, raw.size(), stdout);
    std::fflush(stdout);
}

wxString CConsoleWindow::GetShownText() const
{
    return wxString::FromUTF8(ConsoleScreenText());
}

void CConsoleWindow::OnClose(wxCloseEvent& event)
{
    event.Veto();
}

void CConsoleWindow::DropOldestLines() {}

wxSize DiagnosticConsoleSize()
{
    RECT rect;
    const HWND console = static_cast<HWND>(ConsoleWindowHandle());
    if (g_console != nullptr && console != nullptr && ::GetWindowRect(console, &rect)) {
        return {rect.right - rect.left, rect.bottom - rect.top};
    }
    const int frame = 2 * ::GetSystemMetrics(SM_CXSIZEFRAME) + ::GetSystemMetrics(SM_CXVSCROLL);
    const int caption = ::GetSystemMetrics(SM_CYCAPTION) + 2 * ::GetSystemMetrics(SM_CYSIZEFRAME);
    return {DEFAULT_COLUMNS * DEFAULT_CELL_W + frame, DEFAULT_ROWS * DEFAULT_CELL_H + caption};
}

wxString ConsoleTitle()
{
    return wxString("Data conversion by ") + CONTACT_ADDRESS;
}

void OpenDiagnosticConsole()
{
    if (g_console != nullptr) {
        if (const HWND console = static_cast<HWND>(ConsoleWindowHandle())) {
            ::ShowWindow(console, SW_SHOWNOACTIVATE);
        }
        return;
    }
    g_console = new CConsoleWindow();
    // No step looks at its result: without a console the progress lines go
    // nowhere and the program carries on.
    ::AllocConsole();
    // Where the query is missing there is no window whose menu could change.
    RemoveCloseCommand(ConsoleWindowHandle());
    std::freopen("CONOUT$", "w+t", stdout);
    std::freopen("CONIN$", "r+t", stdin);
    ::SetConsoleTitleA(ConsoleTitle().utf8_string().c_str());
    KeepLinesToScrollBack();
    PlaceBesideTopWindow(static_cast<HWND>(ConsoleWindowHandle()));
}

void ShowPendingConsoleOutput()
{
    // The console shows what reaches it at once; only the stream's buffer
    // may still hold some.
    std::fflush(stdout);
}

void CloseDiagnosticConsole()
{
    // The console stays for the life of the process and goes away with it.
    std::fflush(stdout);
}

CConsoleWindow* DiagnosticConsole()
{
    return g_console;
}

void SetConsoleForwardAlways(bool)
{
    // Standard output is the console itself: there is nothing to pass on.
}
