// The parts of CFile that are the same on every system; the system calls
// themselves are in file_posix.cpp and file_win.cpp.
#include "platform/file.h"

#include "platform/sysio.h"

CFile::~CFile()
{
    CFile::Abort();
}

BOOL CFile::Open(const char* path, UINT flags, CFileException* error)
{
    m_strFileName = path;
    long failure = 0;
    const FileHandle handle = SystemOpen(path, flags, failure);
    if (handle == hFileNull) {
        m_openError = failure;
        if (error != nullptr) {
            error->m_cause = CFileException::OsErrorToException(m_openError);
            error->m_lOsError = m_openError;
            error->m_strFileName = m_strFileName;
        }
        return FALSE;
    }
    m_hFile = handle;
    m_bCloseOnDelete = TRUE;
    m_openError = 0;
    return TRUE;
}

void CFile::Abort()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        SystemClose(m_hFile);
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

void CFile::Close()
{
    long failure = 0;
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        failure = SystemClose(m_hFile);
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (failure != 0) {
        AfxThrowFileException(CFileException::diskFull, failure, m_strFileName);
    }
}

ULONGLONG CFile::GetLength() const
{
    if (m_hFile == hFileNull) {
        ThrowNotOpen();
    }
    long failure = 0;
    const ULONGLONG length = SystemLength(m_hFile, failure);
    if (failure != 0) {
        AfxThrowOsError(failure, m_strFileName, CFileException::genericException);
    }
    return length;
}

void CFile::ThrowNotOpen() const
{
    if (m_openError != 0) {
        AfxThrowOsError(m_openError, m_strFileName);
    }
    AfxThrowFileException(CFileException::invalidFile, 0, m_strFileName);
}

BOOL DeleteFileByName(const char* path)
{
    return Sys().unlink(path) == 0;
}
