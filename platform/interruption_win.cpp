#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <mutex>

#include "platform/interruption_state.h"
#include "platform/sysio.h"

namespace {

const char* g_programName = "";

// Held by the spans of CInterruptionsHeld and by the console handler. Never
// destroyed: the handler ends the process while it holds it.
std::recursive_mutex& HeldMutex()
{
    static std::recursive_mutex* const mutex = new std::recursive_mutex;
    return *mutex;
}

// As the POSIX build's statuses: 130 after an interrupt, 129 when the console
// goes away as a terminal hangs up, 143 when the session ends.
unsigned int StatusFor(DWORD event)
{
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            return 130;
        case CTRL_CLOSE_EVENT:
            return 129;
        default:
            return 143;
    }
}

// Runs on a thread of its own while the conversion goes on in the main one;
// a span of CInterruptionsHeld there makes it wait.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const std::lock_guard<std::recursive_mutex> held(HeldMutex());
    for (int slot = 0; slot < INPUT_NOTE; ++slot) {
        InterruptionNote& note = NoteFor(slot);
        if (note.valid.load()) {
            Sys().unlink(note.path);
        }
    }
    InterruptionNote& input = NoteFor(INPUT_NOTE);
    if (input.valid.load()) {
        std::fprintf(stderr, "%s: interrupted: %s was not finished\n", g_programName, input.path);
    } else {
        std::fprintf(stderr, "%s: interrupted\n", g_programName);
    }
    std::fflush(stderr);
    Sys().exitProcess(StatusFor(event));
    return TRUE;
}

}  // namespace

void RemoveUnfinishedOnInterrupt(const char* programName)
{
    g_programName = programName;
    Sys().setConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

CInterruptionsHeld::CInterruptionsHeld()
{
    Hold();
}

CInterruptionsHeld::~CInterruptionsHeld()
{
    Let();
}

void CInterruptionsHeld::Hold()
{
    if (!m_held) {
        HeldMutex().lock();
        m_held = true;
    }
}

void CInterruptionsHeld::Let()
{
    if (m_held) {
        HeldMutex().unlock();
        m_held = false;
    }
}
