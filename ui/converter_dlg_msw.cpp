// The main dialog's Windows parts: the About entry in the window's own menu
// and the window messages that reach it. They live apart from
// converter_dlg.cpp because Windows' headers declare a MessageBeep of their
// own, which the platform layer's message header declares too.
#include "ui/converter_dlg.h"

#include "ui/resource.h"
#include "ui/system_menu.h"

// Last: its macros must not rename anything declared above.
#include <wx/msw/wrapwin.h>

void CConverterDlg::AppendAboutToSystemMenu(const CString& text)
{
    HMENU menu = ::GetSystemMenu(GetHWND(), FALSE);
    if (menu != nullptr && !text.IsEmpty()) {
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, text.c_str());
    }
}

WXLRESULT CConverterDlg::MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam)
{
    if (message == WM_SYSCOMMAND && IsAboutCommand(static_cast<int>(wParam))) {
        ShowAboutBox();
        return 0;
    }
    if (message == WM_QUERYDRAGICON) {
        return reinterpret_cast<WXLRESULT>(OnQueryDragIcon().GetHICON());
    }
    return wxDialog::MSWWindowProc(message, wParam, lParam);
}
