// An exclusive lock on a file, shared between processes: flock on POSIX
// systems, LockFileEx on Windows. The lock is taken on the file itself, which
// keeps its name and place and is created (never emptied) when missing.
#pragma once

#include "platform/cstring.h"
#include "platform/file.h"

class CFileLock {
public:
    CFileLock() = default;
    // Lets a lock that is still held go.
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // Waits until this object holds the lock on the file that `path` names
    // at that moment. Raises the file exception, naming `path`, when the
    // file cannot be opened or locked.
    void Acquire(const CString& path);
    // Lets the lock go; nothing happens when none is held.
    void Release();
    // True while the lock is held.
    bool IsHeld() const { return m_handle != CFile::hFileNull; }

private:
    // One attempt: opens the file, waits for its lock, and keeps it when the
    // name still leads to the locked file; the holder before may have
    // deleted it, and a third instance made a new one, meanwhile.
    bool TryOnce(const CString& path);
    // Closes the handle, which gives the lock up.
    void CloseFile();
    // The operating-system error reported when the name never settles.
    static long BusyError();

    FileHandle m_handle = CFile::hFileNull;
};
