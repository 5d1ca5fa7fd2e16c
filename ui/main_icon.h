// The program icon IDR_MAINFRAME.
#pragma once

#include <wx/icon.h>
#include <wx/iconbndl.h>

// The 64 x 64 program icon.
wxIcon LoadMainIcon();

// The program icon in the sizes window decorations and task bars pick from.
wxIconBundle MainIconBundle();
