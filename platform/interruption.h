// Files a conversion has begun and not finished, so that an interrupted
// program leaves none of them behind: the unfinished output and the work
// file are removed, and the program says which input was not finished.
#pragma once

// The files a pipeline may leave unfinished.
enum class UnfinishedFile { output, work, count };

// Notes `path` as unfinished in `slot` (a copy is kept); nullptr forgets it.
void NoteUnfinished(UnfinishedFile slot, const char* path);

// Notes the input the program is working on, for the interruption message.
void NoteCurrentInput(const char* path);

// From now on an interruption (SIGINT or SIGTERM; Ctrl+C, Ctrl+Break or the
// console closing on Windows) removes the noted files, writes
// "<program>: interrupted: <input> was not finished" to standard error
// (without the input part when none is noted) and ends the program with
// status 128 + the signal's number (130 for an interrupt, 143 otherwise).
void RemoveUnfinishedOnInterrupt(const char* programName);
