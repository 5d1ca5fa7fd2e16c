// The parts of the file lock that are the same on every system.
#include "platform/file_lock.h"

#include "platform/file_exception.h"

namespace {

// Each retry follows another instance's whole pipeline, so this bound is
// never reached by instances taking turns; it only stops a file system whose
// names and handles never agree from spinning for ever.
constexpr int MAX_LOCK_ATTEMPTS = 1000;

}  // namespace

CFileLock::~CFileLock()
{
    Release();
}

void CFileLock::Acquire(const CString& path)
{
    Release();
    for (int attempt = 0; attempt < MAX_LOCK_ATTEMPTS; ++attempt) {
        if (TryOnce(path)) {
            return;
        }
    }
    AfxThrowFileException(CFileException::lockViolation, BusyError(), path);
}

void CFileLock::Release()
{
    if (IsHeld()) {
        CloseFile();
    }
    m_handle = CFile::hFileNull;
}
