// The work-file lock: flock on the work file, checked against the name.
#include "engine/work_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "platform/file_exception.h"
#include "platform/sysio.h"

namespace {

// Read-write like the filter's own open, so a work file that the filter could
// not use fails here with the same reason; never truncating, since the file
// may belong to the instance that holds the lock.
constexpr int LOCK_OPEN_FLAGS = O_RDWR | O_CREAT | O_CLOEXEC;
constexpr mode_t LOCK_FILE_MODE = 0666;

// Each retry follows another instance's whole pipeline, so this bound is
// never reached by instances taking turns; it only stops a file system whose
// names and descriptors never agree from spinning for ever.
constexpr int MAX_LOCK_ATTEMPTS = 1000;

// What one attempt found.
enum class Attempt { locked, replaced };

[[noreturn]] void ThrowFor(int cause, int osError, const CString& path)
{
    AfxThrowFileException(cause, osError, path);
}

int OpenWorkFile(const CString& path)
{
    const int fd = Sys().open(path, LOCK_OPEN_FLAGS, LOCK_FILE_MODE);
    if (fd < 0) {
        const int failure = errno;
        ThrowFor(CFileException::OsErrorToException(failure), failure, path);
    }
    return fd;
}

void WaitForLock(int fd, const CString& path)
{
    while (Sys().flock(fd, LOCK_EX) != 0) {
        const int failure = errno;
        if (failure != EINTR) {
            Sys().close(fd);
            ThrowFor(CFileException::lockViolation, failure, path);
        }
    }
}

// The instance that held the lock may have deleted the work file (and a
// third may have made a new one) while this one waited on the old file:
// the lock counts only while the name still leads to the locked file.
Attempt CheckStillNamed(int fd, const CString& path)
{
    struct stat held {};
    struct stat named {};
    if (Sys().fstat(fd, &held) != 0) {
        const int failure = errno;
        Sys().close(fd);
        ThrowFor(CFileException::genericException, failure, path);
    }
    if (Sys().stat(path, &named) != 0) {
        const int failure = errno;
        if (failure == ENOENT) {
            return Attempt::replaced;
        }
        Sys().close(fd);
        ThrowFor(CFileException::OsErrorToException(failure), failure, path);
    }
    const bool same = held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    return same ? Attempt::locked : Attempt::replaced;
}

}  // namespace

CWorkFileLock::CWorkFileLock(const CString& workPath)
{
    for (int attempt = 0; attempt < MAX_LOCK_ATTEMPTS; ++attempt) {
        const int fd = OpenWorkFile(workPath);
        WaitForLock(fd, workPath);
        if (CheckStillNamed(fd, workPath) == Attempt::locked) {
            m_fd = fd;
            return;
        }
        Sys().close(fd);  // releases the lock on the file that lost its name
    }
    ThrowFor(CFileException::lockViolation, EAGAIN, workPath);
}

CWorkFileLock::~CWorkFileLock()
{
    // Closing the only descriptor of the open file releases the lock.
    Sys().close(m_fd);
}
