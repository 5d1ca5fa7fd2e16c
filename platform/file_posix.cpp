// CFile over POSIX file descriptors.
#include "platform/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

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
        if ((flags & OPEN_NO_TRUNCATE) == 0) {
            result |= O_TRUNC;
        }
    }
    return result;
}

}  // namespace

BOOL CFile::Open(const char* path, UINT flags, CFileException* error)
{
    m_strFileName = path;
    int fd = Sys().open(path, SystemOpenFlags(flags), 0666);
    int failure = fd < 0 ? errno : 0;
    if (fd >= 0) {
        // A directory opens for reading here but is no file to convert.
        struct stat st {};
        if (Sys().fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            Sys().close(fd);
            fd = -1;
            failure = EISDIR;
        }
    }
    if (fd < 0) {
        m_openError = failure != 0 ? failure : EIO;
        if (error != nullptr) {
            error->m_cause = CFileException::OsErrorToException(m_openError);
            error->m_lOsError = m_openError;
            error->m_strFileName = m_strFileName;
        }
        return FALSE;
    }
    m_hFile = fd;
    m_bCloseOnDelete = TRUE;
    m_openError = 0;
    return TRUE;
}

void CFile::Abort()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        Sys().close(m_hFile);
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

void CFile::Close()
{
    int result = 0;
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        result = Sys().close(m_hFile);
    }
    int failure = errno;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (result != 0) {
        AfxThrowFileException(CFileException::diskFull, failure, m_strFileName);
    }
}

ULONGLONG CFile::GetLength() const
{
    if (m_hFile == hFileNull) {
        ThrowNotOpen();
    }
    struct stat st {};
    if (Sys().fstat(m_hFile, &st) != 0) {
        AfxThrowFileException(CFileException::genericException, errno, m_strFileName);
    }
    return static_cast<ULONGLONG>(st.st_size);
}
