#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

#include "platform/interruption_state.h"

namespace {

const char* g_programName = "";

// Runs on a thread of its own while the conversion goes on in the main one.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    for (int slot = 0; slot < INPUT_NOTE; ++slot) {
        InterruptionNote& note = NoteFor(slot);
        if (note.valid.load()) {
            DeleteFileA(note.path);
        }
    }
    InterruptionNote& input = NoteFor(INPUT_NOTE);
    if (input.valid.load()) {
        std::fprintf(stderr, "%s: interrupted: %s was not finished\n", g_programName, input.path);
    } else {
        std::fprintf(stderr, "%s: interrupted\n", g_programName);
    }
    std::fflush(stderr);
    // As the POSIX build's statuses: 130 after an interrupt, 143 when ended otherwise.
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    ExitProcess(interrupt ? 130 : 143);
}

}  // namespace

void RemoveUnfinishedOnInterrupt(const char* programName)
{
    g_programName = programName;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
