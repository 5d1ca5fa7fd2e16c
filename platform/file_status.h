// What a path names, looked at before anything is opened through it.
#pragma once

#include <cstddef>

#include "platform/types.h"

// The kinds of thing a path can name, as far as a conversion cares.
enum class FileKind {
    missing,    // nothing of that name
    regular,    // a plain file
    directory,  // a folder
    link,       // a symbolic link (only when links are not followed)
    other       // a FIFO, device, socket ...: opening it could block or never end
};

// A path's kind, and the identity of the file it names: the device and
// inode on POSIX systems, the volume serial and file index on Windows.
struct FileStatus {
    FileKind kind = FileKind::missing;
    unsigned long long device = 0;
    unsigned long long index = 0;
    // The names the file has in its file system (hard links); 0 where unknown.
    unsigned long long links = 0;
};

// Fills `status` for `path`, following links when `followLinks` is set.
// Returns 0, also for a missing file (kind missing), or the
// operating-system error that kept the path from being looked at.
long GetFileStatus(const char* path, bool followLinks, FileStatus& status);

// The same, raising the file exception for a path that cannot even be looked at.
FileStatus StatusOrThrow(const char* path, bool followLinks);

// True when both name one existing file, through a link or a second name.
bool IsSameFile(const FileStatus& a, const FileStatus& b);

// Puts the file `from` in place of `to`, replacing a file of that name in
// one step. Returns 0, or the operating-system error.
long ReplaceFileByName(const char* from, const char* to);

// The longest name, in bytes, that a file beside `path` (in its folder) can
// have: the file system's limit for one name and, on Windows, what the limit
// of a whole path leaves once the folder is counted (unless `path` itself
// is longer than that limit, so the system takes long paths).
std::size_t LongestNameBeside(const char* path);
