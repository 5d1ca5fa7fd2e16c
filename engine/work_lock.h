// The lock that lets several instances share one folder's work file.
#pragma once

#include "platform/cstring.h"
#include "platform/file_lock.h"

// Holds an exclusive lock on the work file for its lifetime, so a second
// instance converting in the same folder waits until the first has
// filtered, converted and deleted its work file. The file keeps its name and
// place: the lock is taken on the file itself, which is created (never
// emptied) when missing.
class CWorkFileLock {
public:
    // Waits for the lock on `workPath`. Raises the file exception, naming
    // `workPath`, when the file cannot be opened or locked.
    explicit CWorkFileLock(const CString& workPath);
    // Releases the lock; the file stays as the pipeline left it.
    ~CWorkFileLock() = default;
    CWorkFileLock(const CWorkFileLock&) = delete;
    CWorkFileLock& operator=(const CWorkFileLock&) = delete;

private:
    CFileLock m_lock;
};
