// Numeric identifiers of the program's dialogs, controls, icon, string and
// menu command, and the string table that CString::LoadString reads.
#pragma once

#include "platform/cstring.h"

// Dialog templates and the program icon.
enum ResourceId : int {
    IDD_ABOUTBOX = 100,
    IDD_MAIN = 102,
    IDR_MAINFRAME = 128,
};

// String table entry with the About entry's text.
inline constexpr UINT IDS_ABOUTBOX = 101;

// Command of the About entry; compared with its low four bits cleared.
inline constexpr int IDM_ABOUTBOX = 0x0010;

// Commands of the dialog's right-click menu besides the window's own. None
// falls in the About entry's block (0x0010 to 0x001F), which opens the box.
enum MenuCommandId : int {
    IDM_PREVIEW = 0x0100,
    IDM_ADD_TO_PREVIEW = 0x0110,
    IDM_SCIENTIFIC_FORMAT = 0x0120,
};

// Controls of the main dialog. OK and Cancel use the toolkit's own ids so
// that Enter, Escape and the close box reach them.
enum ControlId : int {
    IDC_FILE_LIST = 1000,
    IDC_BROWSE = 1001,
    IDC_AREA = 1002,
    IDC_AREA_ECHO = 1003,
    IDC_REDUCE_NAME = 1004,
    IDC_LINK = 1005,
    IDC_CLEAR = 1006,
    IDC_STATIC = -1,
};

// Caption of the main dialog and of the About box.
inline constexpr const char* MAIN_CAPTION = "Quillmere_IV_To TXT(Brenholt)";
inline constexpr const char* ABOUT_CAPTION = "About Quillmere";

// The page the "AD" button opens.
inline constexpr const char* HOME_PAGE_URL = "https://example.org/~quillmere/";

// The address named in the console's title.
inline constexpr const char* CONTACT_ADDRESS = "quillmere@example.org";

// The program's string table, terminated by an entry with a null text.
extern const StringResource UI_STRING_TABLE[];
