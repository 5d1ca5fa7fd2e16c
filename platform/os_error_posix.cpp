// Operating-system errors on POSIX systems: errno values.
#include "platform/os_error.h"

#include <cerrno>
#include <cstring>

#include "platform/file_exception.h"

namespace {

// errno values and the cause each stands for.
struct ErrnoCause {
    int osError;
    int cause;
};

constexpr ErrnoCause ERRNO_CAUSES[] = {
    {ENOENT, CFileException::fileNotFound},      {ENOTDIR, CFileException::badPath},
    {ENAMETOOLONG, CFileException::badPath},     {ELOOP, CFileException::badPath},
    {EMFILE, CFileException::tooManyOpenFiles},  {ENFILE, CFileException::tooManyOpenFiles},
    {EACCES, CFileException::accessDenied},      {EPERM, CFileException::accessDenied},
    {EROFS, CFileException::accessDenied},       {EISDIR, CFileException::accessDenied},
    {EBADF, CFileException::invalidFile},        {EINVAL, CFileException::invalidFile},
    {ESPIPE, CFileException::badSeek},           {EIO, CFileException::hardIO},
    {ETXTBSY, CFileException::sharingViolation}, {EBUSY, CFileException::sharingViolation},
    {EDEADLK, CFileException::lockViolation},    {ENOLCK, CFileException::lockViolation},
    {ENOSPC, CFileException::diskFull},          {EDQUOT, CFileException::diskFull},
    {EFBIG, CFileException::diskFull},
};

}  // namespace

int OsErrorCause(long osError)
{
    if (osError == 0) {
        return CFileException::none;
    }
    for (const ErrnoCause& entry : ERRNO_CAUSES) {
        if (entry.osError == osError) {
            return entry.cause;
        }
    }
    return CFileException::genericException;
}

CString OsErrorReason(long osError)
{
    return osError != 0 ? CString(std::strerror(static_cast<int>(osError))) : CString();
}

long LastRuntimeError()
{
    return errno;
}

long LastSystemError()
{
    return errno;
}

bool IsNameTakenError(long osError)
{
    return osError == EEXIST;
}
