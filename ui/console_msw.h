// The Windows console's own parts that the rest of the program does not
// need: the console window, the close command taken from a window's menu
// and the text the console shows.
#pragma once

#include <string>

// The console window of the process, looked up at run time; null when the
// process has none or the system cannot tell.
void* ConsoleWindowHandle();

// Removes the Close command from the system menu of `window` and redraws
// its menu bar; false when the window's menu cannot be reached.
bool RemoveCloseCommand(void* window);

// What the console shows from its first row up to the cursor: each line
// without its trailing blanks and ended by LF, rows that a long line filled
// joined again; empty without a console.
std::string ConsoleScreenText();
