// The lock that lets several instances share one folder's work file.
#pragma once

#include "platform/cstring.h"
#include "platform/file_lock.h"

// Holds an exclusive lock on the work file for its lifetime, so a second
// instance converting in the same folder waits until the first has
// filtered, converted and deleted its work file. The file keeps its name and
// place: the lock is taken on the file itself, which is created (never
// emptied) when missing. While the lock is held the work file is noted as
// unfinished, so an interruption removes it.
class CWorkFileLock {
public:
    // Waits for the lock on `workPath`. Raises the file exception, naming
    // `workPath`, when the file cannot be opened or locked.
    explicit CWorkFileLock(const CString& workPath);
    // Forgets the note and releases the lock; the file stays as the
    // pipeline left it.
    ~CWorkFileLock();
    CWorkFileLock(const CWorkFileLock&) = delete;
    CWorkFileLock& operator=(const CWorkFileLock&) = delete;

    // Deletes the work file, which the lock still makes this instance's,
    // and forgets its note, with no interruption in between. A work file
    // that is already gone, or cannot be deleted, is no error.
    void DeleteWorkFile();

private:
    CString m_workPath;
    CFileLock m_lock;
};
