#include <unistd.h>
#include <csignal>
#include <cstring>

#include "platform/interruption_state.h"

namespace {

const char* g_programName = "";

// The signals that end a run with its unfinished files removed.
constexpr int INTERRUPTIONS[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t InterruptionSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : INTERRUPTIONS) {
        sigaddset(&set, signal);
    }
    return set;
}

void Write(const char* text)
{
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t put = ::write(STDERR_FILENO, text, left);
        if (put <= 0) {
            return;
        }
        text += put;
        left -= static_cast<std::size_t>(put);
    }
}

// Only async-signal-safe calls from here on: unlink, write, _exit.
extern "C" void OnInterrupt(int signal)
{
    for (int slot = 0; slot < INPUT_NOTE; ++slot) {
        InterruptionNote& note = NoteFor(slot);
        if (note.valid.load()) {
            ::unlink(note.path);
        }
    }
    Write(g_programName);
    Write(": interrupted");
    InterruptionNote& input = NoteFor(INPUT_NOTE);
    if (input.valid.load()) {
        Write(": ");
        Write(input.path);
        Write(" was not finished");
    }
    Write("\n");
    ::_exit(128 + signal);
}

}  // namespace

void RemoveUnfinishedOnInterrupt(const char* programName)
{
    g_programName = programName;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigfillset(&action.sa_mask);
    for (const int signal : INTERRUPTIONS) {
        sigaction(signal, &action, nullptr);
    }
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
        const sigset_t set = InterruptionSet();
        pthread_sigmask(SIG_BLOCK, &set, &m_saved);
        m_held = true;
    }
}

void CInterruptionsHeld::Let()
{
    if (m_held) {
        // A signal that came meanwhile is handled here, before this returns.
        pthread_sigmask(SIG_SETMASK, &m_saved, nullptr);
        m_held = false;
    }
}
