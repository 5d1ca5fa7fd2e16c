// The About entry of the window menu, without the window.
#pragma once

#include "platform/cstring.h"

// True for every command whose id, with its low four bits cleared, is
// IDM_ABOUTBOX (0x0010 to 0x001F).
bool IsAboutCommand(int id);

// Text of the About entry from the string table; empty when the table has
// none, and the menu then gets neither the entry nor its separator.
CString AboutEntryText();
