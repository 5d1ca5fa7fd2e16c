// An exclusive lock on a file, shared between processes: flock on POSIX
// systems, LockFileEx on Windows. The lock is taken on the file itself, which
// keeps its name and place. Whoever holds the lock on the file that a name
// leads to owns that name: the holder may delete the file, and one who
// finds the file gone after getting the lock lets it go and tries again.
#pragma once

#include <functional>

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
    // at that moment, creating it (never emptying it) when missing, and
    // then calls `whenHeld` (when given). Each attempt runs inside a span of
    // CInterruptionsHeld, left only while another holder is waited for, so
    // `whenHeld` can note the file before an interruption could find it
    // made. Raises the file exception, naming `path`, when the file cannot
    // be opened or locked.
    void Acquire(const CString& path, const std::function<void()>& whenHeld = {});
    // One attempt that neither waits nor creates: true when this object now
    // holds the lock on the file that `path` names; false when `path` names
    // nothing or another holds the lock. Raises as Acquire does.
    bool TryAcquire(const CString& path);
    // True while the lock is held on the very file that `handle` has open.
    // Raises the file exception, naming the locked path, when the identity
    // of either cannot be read.
    bool IsOn(FileHandle handle) const;
    // Lets the lock go; nothing happens when none is held.
    void Release();
    // True while the lock is held.
    bool IsHeld() const { return m_handle != CFile::hFileNull; }

private:
    // Each system's calls. OpenFile gives hFileNull when `create` is unset
    // and `path` names nothing; LockFile gives false when `wait` is unset and
    // another holds the lock; StillNamed is true when `path` still leads to
    // the file of `handle`: the holder before may have deleted it, and a
    // third instance made a new one, meanwhile. All raise the file exception
    // on a failure, LockFile and StillNamed after closing `handle`.
    static FileHandle OpenFile(const CString& path, bool create);
    static bool LockFile(FileHandle handle, const CString& path, bool wait);
    static bool StillNamed(FileHandle handle, const CString& path);
    static bool SameFile(FileHandle first, FileHandle second, const CString& path);
    // Closes the handle, which gives its lock up.
    static void CloseFile(FileHandle handle);
    // The operating-system error reported when the name never settles.
    static long BusyError();

    FileHandle m_handle = CFile::hFileNull;
    CString m_path;  // the path the held lock was taken through
};
