// The main dialog's Windows parts: the About entry in the window's own menu
// and the window messages that reach it. They live apart from
// converter_dlg.cpp because Windows' headers declare a MessageBeep of their
// own, which the platform layer's message header declares too.
#include "ui/converter_dlg.h"

#include "ui/layout.h"
#include "ui/resource.h"
#include "ui/system_menu.h"

// Last: its macros must not rename anything declared above.
#include <wx/msw/wrapwin.h>

namespace {

// The minimised window's face: its background as the system erases an
// icon's, then the window icon in the middle of the client area.
void PaintMinimisedIcon(HWND window, HICON icon)
{
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    ::SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconW = ::GetSystemMetrics(SM_CXICON);
    const int iconH = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(window, &client);
    const PixelPoint at = IconOrigin(client.right - client.left, client.bottom - client.top, iconW, iconH);
    ::DrawIcon(dc, at.x, at.y, icon);
    ::EndPaint(window, &paint);
}

}  // namespace

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
    if (message == WM_PAINT && ::IsIconic(GetHWND())) {
        PaintMinimisedIcon(GetHWND(), m_hIcon.GetHICON());
        return 0;
    }
    if (message == WM_QUERYDRAGICON) {
        return reinterpret_cast<WXLRESULT>(OnQueryDragIcon().GetHICON());
    }
    return wxDialog::MSWWindowProc(message, wParam, lParam);
}
