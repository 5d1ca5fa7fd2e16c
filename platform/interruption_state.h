// The notes behind interruption.h, shared with each system's handler.
#pragma once

#include <atomic>

#include "platform/interruption.h"

// One noted path; `valid` is set only while `path` holds a whole one.
struct InterruptionNote {
    std::atomic<bool> valid{false};
    char path[4096];
};

// The slots of UnfinishedFile, then the current input.
inline constexpr int INPUT_NOTE = static_cast<int>(UnfinishedFile::count);

InterruptionNote& NoteFor(int slot);
