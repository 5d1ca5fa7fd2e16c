// The file lock on POSIX systems: flock on a descriptor of the file,
// checked against the name by device and inode.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <cerrno>

#include "platform/file_exception.h"
#include "platform/sysio.h"

namespace {

// Read-write like the filter's own open, so a work file that the filter could
// not use fails here with the same reason; never truncating, since the file
// may belong to the instance that holds the lock.
constexpr int LOCK_OPEN_FLAGS = O_RDWR | O_CREAT | O_CLOEXEC;
constexpr mode_t LOCK_FILE_MODE = 0666;

int OpenFile(const CString& path)
{
    const int fd = Sys().open(path, LOCK_OPEN_FLAGS, LOCK_FILE_MODE);
    if (fd < 0) {
        const int failure = errno;
        AfxThrowOsError(failure, path);
    }
    return fd;
}

void WaitForLock(int fd, const CString& path)
{
    while (Sys().flock(fd, LOCK_EX) != 0) {
        const int failure = errno;
        if (failure != EINTR) {
            Sys().close(fd);
            AfxThrowOsError(failure, path, CFileException::lockViolation);
        }
    }
}

// The lock counts only while the name still leads to the locked file.
bool StillNamed(int fd, const CString& path)
{
    struct stat held {};
    struct stat named {};
    if (Sys().fstat(fd, &held) != 0) {
        const int failure = errno;
        Sys().close(fd);
        AfxThrowOsError(failure, path, CFileException::genericException);
    }
    if (Sys().stat(path, &named) != 0) {
        const int failure = errno;
        if (failure == ENOENT) {
            return false;
        }
        Sys().close(fd);
        AfxThrowOsError(failure, path);
    }
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

bool CFileLock::TryOnce(const CString& path)
{
    const int fd = OpenFile(path);
    WaitForLock(fd, path);
    if (!StillNamed(fd, path)) {
        Sys().close(fd);  // releases the lock on the file that lost its name
        return false;
    }
    m_handle = fd;
    return true;
}

void CFileLock::CloseFile()
{
    // Closing the only descriptor of the open file releases the lock.
    Sys().close(m_handle);
}

long CFileLock::BusyError()
{
    return EAGAIN;
}
