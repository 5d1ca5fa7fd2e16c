// The notes of unfinished files, kept where a signal handler can read them
// safely: fixed buffers, each behind a flag that says whether it is whole.
#include "platform/interruption.h"

#include <atomic>
#include <cstring>

#include "platform/interruption_state.h"

namespace {

InterruptionNote g_notes[static_cast<int>(UnfinishedFile::count) + 1];

void Note(InterruptionNote& note, const char* path)
{
    note.valid.store(false);
    if (path == nullptr) {
        return;
    }
    const std::size_t length = std::strlen(path);
    if (length >= sizeof note.path) {
        return;  // no such path can be opened anyway
    }
    std::memcpy(note.path, path, length + 1);
    note.valid.store(true);
}

}  // namespace

InterruptionNote& NoteFor(int slot)
{
    return g_notes[slot];
}

void NoteUnfinished(UnfinishedFile slot, const char* path)
{
    Note(g_notes[static_cast<int>(slot)], path);
}

void NoteCurrentInput(const char* path)
{
    Note(g_notes[INPUT_NOTE], path);
}
