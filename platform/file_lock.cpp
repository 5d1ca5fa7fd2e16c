// The parts of the file lock that are the same on every system.
#include "platform/file_lock.h"

#include "platform/file_exception.h"
#include "platform/interruption.h"

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

void CFileLock::Acquire(const CString& path, const std::function<void()>& whenHeld)
{
    Release();
    for (int attempt = 0; attempt < MAX_LOCK_ATTEMPTS; ++attempt) {
        // The file this attempt may create is this object's from the moment
        // it holds the lock; `whenHeld` notes it before an interruption can
        // come. Only the wait for another holder lets interruptions through.
        CInterruptionsHeld held;
        const FileHandle handle = OpenFile(path, true);
        if (!LockFile(handle, path, false)) {
            held.Let();
            LockFile(handle, path, true);
            held.Hold();
        }
        if (!StillNamed(handle, path)) {
            CloseFile(handle);  // releases the lock on the file that lost its name
            continue;
        }
        m_handle = handle;
        m_path = path;
        if (whenHeld) {
            whenHeld();
        }
        return;
    }
    AfxThrowFileException(CFileException::lockViolation, BusyError(), path);
}

bool CFileLock::TryAcquire(const CString& path)
{
    Release();
    const FileHandle handle = OpenFile(path, false);
    if (handle == CFile::hFileNull) {
        return false;
    }
    if (!LockFile(handle, path, false) || !StillNamed(handle, path)) {
        CloseFile(handle);
        return false;
    }
    m_handle = handle;
    m_path = path;
    return true;
}

bool CFileLock::IsOn(FileHandle handle) const
{
    return IsHeld() && SameFile(m_handle, handle, m_path);
}

void CFileLock::Release()
{
    if (IsHeld()) {
        CloseFile(m_handle);
    }
    m_handle = CFile::hFileNull;
}
