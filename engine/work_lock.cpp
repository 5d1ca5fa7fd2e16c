// The work-file lock: the platform's file lock, held for one pipeline.
#include "engine/work_lock.h"

CWorkFileLock::CWorkFileLock(const CString& workPath)
{
    m_lock.Acquire(workPath);
}
