#include "ui/about_box.h"

#include "ui/layout_ui.h"
#include "ui/main_icon.h"
#include "ui/resource.h"

CAboutBox::CAboutBox()
    : wxDialog(nullptr, IDD_ABOUTBOX, ABOUT_DIALOG_TEMPLATE.caption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX)
{
    SetClientSize(TemplateSize(this, ABOUT_DIALOG_TEMPLATE));
    CreateTemplateControls(this, ABOUT_DIALOG_TEMPLATE, LoadMainIcon());
    Centre();
}
