// The work-file lock: the platform's file lock, held for one pipeline.
#include "engine/work_lock.h"

#include "platform/file.h"
#include "platform/interruption.h"

CWorkFileLock::CWorkFileLock(const CString& workPath) : m_workPath(workPath)
{
    // Noted as soon as it is held: the lock may have just created the file.
    m_lock.Acquire(workPath, [&workPath] { NoteUnfinished(UnfinishedFile::work, workPath); });
}

CWorkFileLock::~CWorkFileLock()
{
    const CInterruptionsHeld held;
    NoteUnfinished(UnfinishedFile::work, nullptr);
    m_lock.Release();
}

void CWorkFileLock::DeleteWorkFile()
{
    const CInterruptionsHeld held;
    DeleteFileByName(m_workPath);
    NoteUnfinished(UnfinishedFile::work, nullptr);
}
