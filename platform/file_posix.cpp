// CFile's system calls over POSIX file descriptors.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "platform/sysio.h"

namespace {

// open(2) flags for the access and create bits of a flag word.
int SystemOpenFlags(UINT flags)
{
    int result = O_CLOEXEC;
    switch (flags & (OPEN_WRITE | OPEN_READWRITE)) {
        case OPEN_WRITE:
            result |= O_WRONLY;
            break;
        case OPEN_READ:
            result |= O_RDONLY;
            break;
        default:
            result |= O_RDWR;
            break;
    }
    if ((flags & OPEN_CREATE) != 0) {
        result |= O_CREAT;
        if ((flags & OPEN_CREATE_NEW) != 0) {
            result |= O_EXCL;
        } else if ((flags & OPEN_NO_TRUNCATE) == 0) {
            result |= O_TRUNC;
        }
    }
    return result;
}

// The error to report when a call failed without saying why.
long FailureOr(int error, long fallback)
{
    return error != 0 ? error : fallback;
}

}  // namespace

FileHandle CFile::SystemOpen(const char* path, UINT flags, long& failure)
{
    const int fd = Sys().open(path, SystemOpenFlags(flags), 0666);
    if (fd < 0) {
        failure = FailureOr(errno, EIO);
        return hFileNull;
    }
    // A directory opens for reading here but is no file to convert.
    struct stat st {};
    if (Sys().fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        Sys().close(fd);
        failure = EISDIR;
        return hFileNull;
    }
    return fd;
}

long CFile::SystemClose(FileHandle handle)
{
    return Sys().close(handle) == 0 ? 0 : FailureOr(errno, EIO);
}

ULONGLONG CFile::SystemLength(FileHandle handle, long& failure)
{
    struct stat st {};
    if (Sys().fstat(handle, &st) != 0) {
        failure = FailureOr(errno, EIO);
        return 0;
    }
    return static_cast<ULONGLONG>(st.st_size);
}

void ForgoFlushOnClose(const char* path)
{
#if defined(__linux__)
    // Past the seam: nothing about it can fail in a way that matters.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
    }
#else
    static_cast<void>(path);
#endif
}
