// Files a conversion has begun and not finished, so that an interrupted
// program leaves none of them behind: the unfinished output and the work
// file are removed, and the program says which input was not finished.
#pragma once

#ifndef _WIN32
#include <signal.h>
#endif

// The files a pipeline may leave unfinished.
enum class UnfinishedFile { output, work, count };

// Notes `path` as unfinished in `slot` (a copy is kept); nullptr forgets it.
void NoteUnfinished(UnfinishedFile slot, const char* path);

// Notes the input the program is working on, for the interruption message.
void NoteCurrentInput(const char* path);

// From now on an interruption removes the noted files, writes
// "<program>: interrupted: <input> was not finished" to standard error
// (without the input part when none is noted) and ends the program with
// status 128 + the signal's number: 130 after SIGINT, 143 after SIGTERM, 129
// after SIGHUP. On Windows Ctrl+C and Ctrl+Break give 130, closing the
// console 129 (the terminal hanging up), ending the session 143.
void RemoveUnfinishedOnInterrupt(const char* programName);

// While an object of this class lives, an interruption waits, and is
// handled when the object goes. A file is made and noted, or removed (or
// renamed) and forgotten, inside one such span, so an interruption never
// meets a file that exists but is not noted, nor a note of a name that is
// no longer this program's, which another instance may have taken meanwhile.
// A span never waits for another program, except between Let and Hold.
// Spans may nest.
//
// On POSIX systems the span blocks the signals for the calling thread, which
// is enough for a program that handles them on one thread. On Windows the
// console handler runs on a thread of its own and waits for the span to end.
class CInterruptionsHeld {
public:
    CInterruptionsHeld();
    ~CInterruptionsHeld();
    CInterruptionsHeld(const CInterruptionsHeld&) = delete;
    CInterruptionsHeld& operator=(const CInterruptionsHeld&) = delete;

    // Lets interruptions through, for a wait that may be long (never inside
    // another span); Hold ends that.
    void Let();
    void Hold();

private:
    bool m_held = false;
#ifndef _WIN32
    sigset_t m_saved{};
#endif
};
