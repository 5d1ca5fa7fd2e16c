// CFile's system calls over Win32 file handles.
#include "platform/file.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/os_error.h"
#include "platform/sysio.h"

namespace {

// Win32 access rights of the two access bits.
DWORD AccessOf(UINT flags)
{
    switch (flags & (OPEN_WRITE | OPEN_READWRITE)) {
        case OPEN_READ:
            return GENERIC_READ;
        case OPEN_WRITE:
            return GENERIC_WRITE;
        default:
            return GENERIC_READ | GENERIC_WRITE;
    }
}

// Win32 share mode of the share bits. The compatibility mode, which this
// system always uses, lets others read and write meanwhile, as a file opened
// by the C runtime does, and as the POSIX build always allows; and delete or
// rename it, as POSIX allows too: an interruption, handled on a thread of
// its own, removes the unfinished output and the work file while the
// conversion still has them open.
struct ShareMode {
    UINT bits;
    DWORD share;
};

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

constexpr ShareMode SHARE_MODES[] = {
    {OPEN_SHARE_COMPAT, SHARE_ALL},           {OPEN_SHARE_EXCLUSIVE, 0},
    {OPEN_SHARE_DENY_WRITE, FILE_SHARE_READ}, {OPEN_SHARE_DENY_READ, FILE_SHARE_WRITE},
    {OPEN_SHARE_DENY_NONE, SHARE_ALL},
};

DWORD ShareOf(UINT flags)
{
    for (const ShareMode& mode : SHARE_MODES) {
        if (mode.bits == (flags & OPEN_SHARE_MASK)) {
            return mode.share;
        }
    }
    return SHARE_ALL;
}

// Creation disposition of the create bits: create or empty, create or keep,
// create only a new file, or open only what exists.
DWORD DispositionOf(UINT flags)
{
    if ((flags & OPEN_CREATE) == 0) {
        return OPEN_EXISTING;
    }
    if ((flags & OPEN_CREATE_NEW) != 0) {
        return CREATE_NEW;
    }
    return (flags & OPEN_NO_TRUNCATE) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
}

}  // namespace

FileHandle CFile::SystemOpen(const char* path, UINT flags, long& failure)
{
    const FileHandle handle = Sys().createFile(path, AccessOf(flags), ShareOf(flags), DispositionOf(flags));
    if (handle == hFileNull) {
        const long error = LastSystemError();
        failure = error != 0 ? error : ERROR_GEN_FAILURE;
    }
    return handle;
}

long CFile::SystemClose(FileHandle handle)
{
    if (Sys().closeHandle(handle)) {
        return 0;
    }
    const long error = LastSystemError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

ULONGLONG CFile::SystemLength(FileHandle handle, long& failure)
{
    long long size = 0;
    if (!Sys().getFileSizeEx(handle, &size)) {
        const long error = LastSystemError();
        failure = error != 0 ? error : ERROR_GEN_FAILURE;
        return 0;
    }
    return static_cast<ULONGLONG>(size);
}

void ForgoFlushOnClose(const char* path)
{
    // NTFS has no such safeguard to spend.
    static_cast<void>(path);
}
