// The program's resources: string table and dialog templates.
#include "ui/resource.h"

#include <iterator>

#include <wx/defs.h>

#include "ui/layout.h"

const StringResource UI_STRING_TABLE[] = {
    {IDS_ABOUTBOX, "&About Quillmere..."},
    {0, nullptr},
};

namespace {

// OK and Cancel carry the toolkit's ids, so that Enter, Escape and the close
// box reach them the way the toolkit's dialogs expect.
constexpr int ID_OK = wxID_OK;
constexpr int ID_CANCEL = wxID_CANCEL;

const ControlTemplate MAIN_CONTROLS[] = {
    {ID_OK, ControlKind::defaultButton, "OK", 64, 172, 50, 14, STYLE_NONE},
    {ID_CANCEL, ControlKind::button, "Cancel", 153, 173, 50, 14, STYLE_NONE},
    {IDC_FILE_LIST, ControlKind::multiLineEdit, "", 43, 16, 162, 75, STYLE_DIGITS_ONLY},
    {IDC_BROWSE, ControlKind::button, "...", 211, 18, 20, 14, STYLE_NONE},
    {IDC_STATIC, ControlKind::label, "Surface area ", 51, 132, 53, 8, STYLE_NONE},
    {IDC_AREA, ControlKind::edit, "", 110, 130, 40, 14, STYLE_NONE},
    {IDC_AREA_ECHO, ControlKind::edit, "", 54, 152, 186, 14, STYLE_NONE},
    {IDC_REDUCE_NAME, ControlKind::checkBox, "Reduce File Name", 48, 105, 80, 10, STYLE_NONE},
    {IDC_LINK, ControlKind::button, "AD", 250, 71, 50, 14, STYLE_NONE},
    {IDC_CLEAR, ControlKind::button, "Clear", 155, 94, 50, 14, STYLE_NONE},
};

const ControlTemplate ABOUT_CONTROLS[] = {
    {IDR_MAINFRAME, ControlKind::icon, "", 11, 17, 20, 20, STYLE_NONE},
    {IDC_STATIC, ControlKind::label, "20240501", 40, 10, 119, 8, STYLE_NONE},
    {IDC_STATIC, ControlKind::label, "Quillmere version " QUILLMERE_VERSION, 40, 25, 119, 8, STYLE_NONE},
    {ID_OK, ControlKind::defaultButton, "OK", 178, 7, 50, 14, STYLE_NONE},
};

}  // namespace

const DialogTemplate MAIN_DIALOG_TEMPLATE = {IDD_MAIN, MAIN_CAPTION,  320,
                                             200,      MAIN_CONTROLS, std::size(MAIN_CONTROLS)};

const DialogTemplate ABOUT_DIALOG_TEMPLATE = {IDD_ABOUTBOX, ABOUT_CAPTION,  235,
                                              55,           ABOUT_CONTROLS, std::size(ABOUT_CONTROLS)};
