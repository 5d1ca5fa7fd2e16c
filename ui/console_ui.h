// The diagnostic console: a second top-level window that shows what the
// program writes to standard output (the progress lines of a batch).
#pragma once

#include <string>

#include <wx/frame.h>
#include <wx/string.h>

class wxTextCtrl;

// The console window. It has no close command: it lives as long as the
// program and goes away with it.
class CConsoleWindow : public wxFrame {
public:
    // Builds the window with its title; not shown yet.
    CConsoleWindow();

    // Appends text as written to standard output (CR LF or LF line ends).
    void AppendOutput(const std::string& raw);

    // Everything the window shows.
    wxString GetShownText() const;

    // Most characters the window keeps; older lines give way first.
    static constexpr std::size_t MAX_SHOWN = 1024 * 1024;

private:
    void OnClose(wxCloseEvent& event);
    void DropOldestLines();

    wxTextCtrl* m_text = nullptr;
    bool m_heldCr = false;  // a CR that may be the first half of a CR LF

    wxDECLARE_EVENT_TABLE();
};

// Outer size the console window takes on the screen.
wxSize DiagnosticConsoleSize();

// Title of the console window.
wxString ConsoleTitle();

// Opens the console beside the application's top window and rebinds
// standard output to it. A second call shows the same console again.
void OpenDiagnosticConsole();

// Moves everything written to standard output so far into the console.
void ShowPendingConsoleOutput();

// Puts standard output back as it was and destroys the console window.
void CloseDiagnosticConsole();

// The console window while it is open, else null.
CConsoleWindow* DiagnosticConsole();

// Standard output also reaches the stream it had before the console only
// when that stream is a terminal, as nobody may read a pipe or file there
// and writing to it could then block. `always` lifts that restriction, for
// runners that collect standard output through a pipe.
void SetConsoleForwardAlways(bool always);
