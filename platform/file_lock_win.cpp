// The file lock on Windows: LockFileEx on a handle of the file, checked
// against the name by volume serial number and file index.
#include "platform/file_lock.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/file_exception.h"
#include "platform/os_error.h"
#include "platform/pending_delete_win.h"
#include "platform/sysio.h"

namespace {

// Byte-range locks on Windows are mandatory: they stop the reads and writes
// of every other handle within the range, the converters' own included. The
// lock therefore covers one byte far beyond anything a file ever holds.
constexpr unsigned long long LOCK_OFFSET = 0x7FFFFFFF00000000ull;
constexpr unsigned long long LOCK_LENGTH = 1;

// Read-write like the filter's own open, so a work file that the filter could
// not use fails here with the same reason. Others may read, write and delete
// meanwhile: the converters open the file beside this handle, and the
// pipeline deletes it while the lock is held.
constexpr DWORD LOCK_ACCESS = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD LOCK_SHARE = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsMissing(long failure)
{
    return failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND;
}

void CloseLocked(std::intptr_t handle)
{
    // Closing a handle frees its locks only when the system gets round to
    // it; unlocking first frees this one at once.
    Sys().unlockFileEx(handle, LOCK_OFFSET, LOCK_LENGTH);
    Sys().closeHandle(handle);
}

// The identity of the file an open handle leads to; raises on failure, after
// closing `locked` (the lock's handle) and `other` when it is open.
SysFileId IdentityOf(std::intptr_t handle, std::intptr_t locked, const CString& path)
{
    SysFileId id{};
    if (!Sys().getFileId(handle, &id)) {
        const long failure = LastSystemError();
        if (handle != locked) {
            Sys().closeHandle(handle);
        }
        CloseLocked(locked);
        AfxThrowOsError(failure, path, CFileException::genericException);
    }
    return id;
}

}  // namespace

FileHandle CFileLock::OpenFile(const CString& path, bool create)
{
    for (int attempt = 0;; ++attempt) {
        const std::intptr_t handle =
            Sys().createFile(path, LOCK_ACCESS, LOCK_SHARE, create ? OPEN_ALWAYS : OPEN_EXISTING);
        if (handle != CFile::hFileNull) {
            return handle;
        }
        const long failure = LastSystemError();
        if (!create && IsMissing(failure)) {
            return CFile::hFileNull;
        }
        if (failure != ERROR_ACCESS_DENIED || attempt == PENDING_DELETE_RETRIES) {
            AfxThrowOsError(failure, path);
        }
        Sleep(PENDING_DELETE_PAUSE_MS);
    }
}

bool CFileLock::LockFile(FileHandle handle, const CString& path, bool wait)
{
    if (Sys().lockFileEx(handle, LOCK_OFFSET, LOCK_LENGTH, wait ? 1 : 0)) {
        return true;
    }
    const long failure = LastSystemError();
    if (!wait && (failure == ERROR_LOCK_VIOLATION || failure == ERROR_IO_PENDING)) {
        return false;
    }
    Sys().closeHandle(handle);
    AfxThrowOsError(failure, path, CFileException::lockViolation);
}

bool CFileLock::StillNamed(FileHandle locked, const CString& path)
{
    const SysFileId held = IdentityOf(locked, locked, path);
    const std::intptr_t named = Sys().createFile(path, 0, LOCK_SHARE, OPEN_EXISTING);
    if (named == CFile::hFileNull) {
        const long failure = LastSystemError();
        // Gone, or deleted and still waiting for the last handle to close.
        if (IsMissing(failure) || failure == ERROR_ACCESS_DENIED) {
            return false;
        }
        CloseLocked(locked);
        AfxThrowOsError(failure, path);
    }
    const SysFileId current = IdentityOf(named, locked, path);
    Sys().closeHandle(named);
    return held.volume == current.volume && held.index == current.index;
}

bool CFileLock::SameFile(FileHandle first, FileHandle second, const CString& path)
{
    SysFileId one{};
    SysFileId other{};
    if (!Sys().getFileId(first, &one) || !Sys().getFileId(second, &other)) {
        AfxThrowOsError(LastSystemError(), path, CFileException::genericException);
    }
    return one.volume == other.volume && one.index == other.index;
}

void CFileLock::CloseFile(FileHandle handle)
{
    CloseLocked(handle);
}

long CFileLock::BusyError()
{
    return ERROR_LOCK_VIOLATION;
}
