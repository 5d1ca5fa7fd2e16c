#include <unistd.h>
#include <csignal>
#include <cstring>

#include "platform/interruption_state.h"

namespace {

const char* g_programName = "";

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
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
