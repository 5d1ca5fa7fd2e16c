// CFile over Win32 file handles.
#include "platform/file.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/os_error.h"
#include "platform/sysio.h"

namespace {

// Win32 access rights of the two access bits.
DWORD AccessOf(UINT flags)
{
    switch (flags & (OPEN_WRITE | OPEN_READWRITE)) {
    case OPEN_READ:
        return GENERIC_READ;
    case OPEN_WRITE:
        return GENERIC_WRITE;
    default:
        return GENERIC_READ | GENERIC_WRITE;
    }
}

// Win32 share mode of the share bits. The compatibility mode, which this
// system always uses, lets others read and write meanwhile, as a file opened
// by the C runtime does, and as the POSIX build always allows.
struct ShareMode {
    UINT bits;
    DWORD share;
};

constexpr ShareMode SHARE_MODES[] = {
    {OPEN_SHARE_COMPAT, FILE_SHARE_READ | FILE_SHARE_WRITE},
    {OPEN_SHARE_EXCLUSIVE, 0},
    {OPEN_SHARE_DENY_WRITE, FILE_SHARE_READ},
    {OPEN_SHARE_DENY_READ, FILE_SHARE_WRITE},
    {OPEN_SHARE_DENY_NONE, FILE_SHARE_READ | FILE_SHARE_WRITE},
};

DWORD ShareOf(UINT flags)
{
    for (const ShareMode& mode : SHARE_MODES) {
        if (mode.bits == (flags & OPEN_SHARE_MASK)) {
            return mode.share;
        }
    }
    return FILE_SHARE_READ | FILE_SHARE_WRITE;
}

// Creation disposition of the create bits: create or empty, create or keep,
// or open only what exists.
DWORD DispositionOf(UINT flags)
{
    if ((flags & OPEN_CREATE) == 0) {
        return OPEN_EXISTING;
    }
    return (flags & OPEN_NO_TRUNCATE) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
}

}  // namespace

BOOL CFile::Open(const char* path, UINT flags, CFileException* error)
{
    m_strFileName = path;
    const FileHandle handle = Sys().createFile(path, AccessOf(flags), ShareOf(flags), DispositionOf(flags));
    if (handle == hFileNull) {
        const long failure = LastSystemError();
        m_openError = failure != 0 ? failure : ERROR_GEN_FAILURE;
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
        Sys().closeHandle(m_hFile);
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

void CFile::Close()
{
    BOOL closed = TRUE;
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        closed = Sys().closeHandle(m_hFile);
    }
    const long failure = closed ? 0 : LastSystemError();
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (!closed) {
        AfxThrowFileException(CFileException::diskFull, failure, m_strFileName);
    }
}

ULONGLONG CFile::GetLength() const
{
    if (m_hFile == hFileNull) {
        ThrowNotOpen();
    }
    long long size = 0;
    if (!Sys().getFileSizeEx(m_hFile, &size)) {
        AfxThrowFileException(CFileException::genericException, LastSystemError(), m_strFileName);
    }
    return static_cast<ULONGLONG>(size);
}
