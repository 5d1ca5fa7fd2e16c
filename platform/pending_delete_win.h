// Windows keeps a file that was deleted while handles of it were open until
// the last of them closes, and meanwhile refuses every open of its name with
// "access denied". Another instance's work file is in that state for a
// moment after that instance deleted it while a waiter still had it open.
// Opens and looks that meet the refusal try again for this long before it
// counts: far longer than any holder takes to close its handle, even on a
// loaded machine, and short enough for a real refusal to be reported soon.
#pragma once

inline constexpr int PENDING_DELETE_RETRIES = 500;
inline constexpr unsigned long PENDING_DELETE_PAUSE_MS = 10;
