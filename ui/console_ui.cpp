#include "ui/console_ui.h"

#include <cstdio>

#include <wx/app.h>
#include <wx/dcscreen.h>
#include <wx/display.h>
#include <wx/textctrl.h>

#include "ui/layout.h"
#include "ui/main_icon.h"
#include "ui/resource.h"
#include "ui/stdout_tap.h"

namespace {

// Size of the console's text area in characters of its fixed-pitch font.
constexpr int CONSOLE_COLUMNS = 72;
constexpr int CONSOLE_ROWS = 24;

CConsoleWindow* g_console = nullptr;
CStdoutTap g_stdoutTap;
bool g_forwardAlways = false;

wxFont ConsoleFont()
{
    return wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE));
}

// Room for CONSOLE_COLUMNS x CONSOLE_ROWS characters and a margin.
wxSize ConsoleClientSize()
{
    wxScreenDC dc;
    dc.SetFont(ConsoleFont());
    const wxSize cell = dc.GetTextExtent("M");
    return {cell.x * CONSOLE_COLUMNS + 24, cell.y * CONSOLE_ROWS + 12};
}

PixelRect ToPixelRect(const wxRect& rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}

// Puts the console to the right of the top window, on the same screen.
void PlaceBesideTopWindow(wxWindow* console)
{
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    if (top == nullptr || top == console) {
        return;
    }
    const int screenIndex = wxDisplay::GetFromWindow(top);
    const wxDisplay display(screenIndex == wxNOT_FOUND ? 0U : static_cast<unsigned>(screenIndex));
    const wxSize size = console->GetSize();
    const PixelPoint at = ConsoleOriginBeside(
        ToPixelRect(top->GetRect()), ToPixelRect(display.GetClientArea()), size.x, size.y, CONSOLE_GAP);
    console->Move(at.x, at.y);
}

// Called on the tap's reader thread; the window is only touched on the
// user-interface thread.
void NotifyOutput()
{
    if (wxTheApp != nullptr) {
        wxTheApp->CallAfter([] { ShowPendingConsoleOutput(); });
    }
}

}  // namespace

wxBEGIN_EVENT_TABLE(CConsoleWindow, wxFrame)
    EVT_CLOSE(CConsoleWindow::OnClose)
wxEND_EVENT_TABLE()

CConsoleWindow::CConsoleWindow()
    : wxFrame(nullptr, wxID_ANY, ConsoleTitle(), wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~wxCLOSE_BOX)
{
    m_text = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                            wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxTE_RICH2);
    m_text->SetFont(ConsoleFont());
    m_text->SetBackgroundColour(wxColour(24, 26, 30));
    m_text->SetForegroundColour(wxColour(214, 218, 222));
    m_text->SetDefaultStyle(wxTextAttr(wxColour(214, 218, 222), wxColour(24, 26, 30)));
    SetClientSize(ConsoleClientSize());
    SetIcons(MainIconBundle());
}

void CConsoleWindow::AppendOutput(const std::string& raw)
{
    std::string pending;
    if (m_heldCr) {
        pending.push_back('\r');
    }
    pending.append(raw);
    m_heldCr = !pending.empty() && pending.back() == '\r';
    if (m_heldCr) {
        pending.pop_back();
    }
    if (pending.empty()) {
        return;
    }
    m_text->AppendText(wxString::FromUTF8(ToWindowText(pending)));
    if (m_text->GetLastPosition() > static_cast<long>(MAX_SHOWN)) {
        DropOldestLines();
    }
}

void CConsoleWindow::DropOldestLines()
{
    const std::string shown = m_text->GetValue().utf8_string();
    const std::size_t cut = TrimPoint(shown, MAX_SHOWN);
    m_text->Remove(0, static_cast<long>(wxString::FromUTF8(shown.substr(0, cut)).length()));
}

wxString CConsoleWindow::GetShownText() const
{
    return m_text->GetValue();
}

void CConsoleWindow::OnClose(wxCloseEvent& event)
{
    // Window managers may draw a close box anyway; the console stays.
    if (event.CanVeto()) {
        event.Veto();
        return;
    }
    Destroy();
}

wxSize DiagnosticConsoleSize()
{
    return g_console != nullptr ? g_console->GetSize() : ConsoleClientSize();
}

wxString ConsoleTitle()
{
    return wxString("Data conversion by ") + CONTACT_ADDRESS;
}

void OpenDiagnosticConsole()
{
    if (g_console == nullptr) {
        g_console = new CConsoleWindow();
        PlaceBesideTopWindow(g_console);
    }
    if (!g_stdoutTap.IsRunning()) {
        const bool forward = g_forwardAlways || ::isatty(STDOUT_FILENO) == 1;
        g_stdoutTap.Start(STDOUT_FILENO, forward, NotifyOutput);
    }
    g_console->Show();
}

void ShowPendingConsoleOutput()
{
    std::fflush(stdout);
    const std::string text = g_stdoutTap.Take();
    if (g_console != nullptr && !text.empty()) {
        g_console->AppendOutput(text);
    }
}

void CloseDiagnosticConsole()
{
    g_stdoutTap.Stop();
    ShowPendingConsoleOutput();
    if (g_console != nullptr) {
        CConsoleWindow* console = g_console;
        g_console = nullptr;
        console->Destroy();
    }
}

CConsoleWindow* DiagnosticConsole()
{
    return g_console;
}

void SetConsoleForwardAlways(bool always)
{
    g_forwardAlways = always;
}
