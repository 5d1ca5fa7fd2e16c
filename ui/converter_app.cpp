#include "ui/converter_app.h"

#include <clocale>
#include <iterator>

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "platform/message_box.h"
#include "ui/console_ui.h"
#include "ui/converter_dlg.h"
#include "ui/resource.h"

namespace {

// The icon a message box shows for the icon bits of its type.
struct BoxIcon {
    UINT typeBits;
    long style;
};

const BoxIcon BOX_ICONS[] = {
    {0x10, wxICON_ERROR},        // MB_ICONHAND
    {0x20, wxICON_QUESTION},     // MB_ICONQUESTION
    {0x30, wxICON_WARNING},      // MB_ICONEXCLAMATION
    {0x40, wxICON_INFORMATION},  // MB_ICONASTERISK
};

long IconStyle(UINT type)
{
    for (const BoxIcon& icon : BOX_ICONS) {
        if ((type & 0xF0) == icon.typeBits) {
            return icon.style;
        }
    }
    return wxICON_NONE;
}

int ShowMessageBox(const CString& text, UINT type)
{
    wxWindow* owner = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    wxMessageBox(wxString::FromUTF8(text.c_str()), "Quillmere", wxOK | IconStyle(type), owner);
    return 1;  // IDOK: the box has no other button
}

}  // namespace

int RunDialog(wxDialog& dialog)
{
    wxGUIEventLoop loop;
    auto onShow = [&loop](wxShowEvent& event) {
        if (!event.IsShown()) {
            loop.ScheduleExit();
        }
        event.Skip();
    };
    dialog.Bind(wxEVT_SHOW, onShow);
    dialog.Show();
    loop.Run();
    dialog.Unbind(wxEVT_SHOW, onShow);
    return dialog.GetReturnCode();
}

void InstallDesktopServices()
{
    // GTK takes the user's locale at start-up. The engine reads and writes
    // numbers in the "C" locale whatever the process's is; the C runtime's
    // number functions that anything else calls keep the point as well, so
    // no number the program shows has a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    SetStringTable(UI_STRING_TABLE);
    SetMessageBoxSink(ShowMessageBox);
    SetBeepSink([](UINT) { wxBell(); });
}

bool CConverterApp::OnInit()
{
    // The program takes no command-line arguments, so the base class's
    // option parsing is left out.
    InstallDesktopServices();
    InitInstance();
    return true;
}

int CConverterApp::OnRun()
{
    return 0;
}

void CConverterApp::InitInstance()
{
    {
        CConverterDlg dialog;
        SetTopWindow(&dialog);
        RunDialog(dialog);
        SetTopWindow(nullptr);
    }
    CloseDiagnosticConsole();
}
