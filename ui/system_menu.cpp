#include "ui/system_menu.h"

#include "ui/resource.h"

bool IsAboutCommand(int id)
{
    return (id & 0xFFF0) == IDM_ABOUTBOX;
}

CString AboutEntryText()
{
    CString text;
    text.LoadString(IDS_ABOUTBOX);
    return text;
}
