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
// may belong to the instance that holds the lock, and never through a link,
// which could make the lock create a file anywhere.
constexpr int LOCK_OPEN_FLAGS = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
constexpr mode_t LOCK_FILE_MODE = 0666;

}  // namespace

FileHandle CFileLock::OpenFile(const CString& path, bool create)
{
    const int fd = Sys().open(path, LOCK_OPEN_FLAGS | (create ? O_CREAT : 0), LOCK_FILE_MODE);
    if (fd < 0) {
        const int failure = errno;
        if (!create && failure == ENOENT) {
            return CFile::hFileNull;
        }
        AfxThrowOsError(failure, path);
    }
    return fd;
}

bool CFileLock::LockFile(FileHandle fd, const CString& path, bool wait)
{
    while (Sys().flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
        const int failure = errno;
        if (!wait && failure == EWOULDBLOCK) {
            return false;
        }
        if (failure != EINTR) {
            Sys().close(fd);
            AfxThrowOsError(failure, path, CFileException::lockViolation);
        }
    }
    return true;
}

bool CFileLock::StillNamed(FileHandle fd, const CString& path)
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

bool CFileLock::SameFile(FileHandle first, FileHandle second, const CString& path)
{
    struct stat one {};
    struct stat other {};
    if (Sys().fstat(first, &one) != 0 || Sys().fstat(second, &other) != 0) {
        AfxThrowOsError(errno, path, CFileException::genericException);
    }
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

void CFileLock::CloseFile(FileHandle fd)
{
    // Closing the only descriptor of the open file releases the lock.
    Sys().close(fd);
}

long CFileLock::BusyError()
{
    return EAGAIN;
}
