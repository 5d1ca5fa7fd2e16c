// Read before anything else by every dialog test on Windows. Windows' own
// headers come first, so the platform layer's message header, which
// declares a MessageBeep of its own, finds theirs and steps aside, whatever
// order a test file includes things in. And what the tests take from POSIX
// that the Windows C runtime lacks.
#pragma once

#include <wx/msw/wrapwin.h>

#ifdef __cplusplus
extern "C" {
#endif

// Turns the trailing XXXXXX of `pattern` into a fresh folder's name and
// makes the folder; `pattern` on success, else null.
char* mkdtemp(char* pattern);

#ifdef __cplusplus
}
#endif
