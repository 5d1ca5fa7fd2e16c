// The surface-area input, without the window.
#pragma once

#include "platform/cstring.h"

// Characters of the area text that are read, as the area box's 100-byte
// buffer holds 99 and a terminating zero.
inline constexpr int AREA_TEXT_MAX = 99;

// The area that ApplyAreaText would store for `text`: its first 99
// characters read as atof does, rounded to single precision.
float AreaOfText(const char* text);

// Parses the first 99 characters of `text` as glibc's atof does in the "C"
// locale, whatever the C runtime, stores the value rounded to single
// precision in g_surfaceArea, sets g_areaEnabled to 1 and returns the echo
// text "Area=%f" of the double-precision value.
CString ApplyAreaText(const char* text);
