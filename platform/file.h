// CFile: the file base class over the operating system's own files: POSIX
// descriptors, or Win32 handles on Windows. Opens by path with the access,
// share and create bits, records the path, and owns the descriptor or handle
// until it is closed.
#pragma once

#include "platform/cstring.h"
#include "platform/file_exception.h"
#include "platform/types.h"

#include <cstdint>

// Open flag bits.
constexpr UINT OPEN_READ = 0x0000;  // neither access bit: read only
constexpr UINT OPEN_WRITE = 0x0001;
constexpr UINT OPEN_READWRITE = 0x0002;
constexpr UINT OPEN_SHARE_MASK = 0x0070;  // share bits: obeyed on Windows; POSIX files always share
constexpr UINT OPEN_SHARE_COMPAT = 0x0000;
constexpr UINT OPEN_SHARE_EXCLUSIVE = 0x0010;
constexpr UINT OPEN_SHARE_DENY_WRITE = 0x0020;
constexpr UINT OPEN_SHARE_DENY_READ = 0x0030;
constexpr UINT OPEN_SHARE_DENY_NONE = 0x0040;
constexpr UINT OPEN_NO_INHERIT = 0x0080;
constexpr UINT OPEN_CREATE = 0x1000;
constexpr UINT OPEN_NO_TRUNCATE = 0x2000;
constexpr UINT OPEN_TEXT = 0x4000;
constexpr UINT OPEN_BINARY = 0x8000;
// With OPEN_CREATE: make a new file, and fail when the name is taken (by a
// link too, which is never followed), so the file is certainly this call's own.
constexpr UINT OPEN_CREATE_NEW = 0x10000;

#ifdef _WIN32
// A Win32 HANDLE held as an integer, the form the C runtime's
// _open_osfhandle takes; INVALID_HANDLE_VALUE is -1.
using FileHandle = std::intptr_t;
#else
// A POSIX file descriptor.
using FileHandle = int;
#endif

class CFile {
public:
    static constexpr FileHandle hFileNull = -1;

    CFile() = default;
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens or creates `path` by the access and create bits of `flags`, and
    // on Windows by its share bits (the binary bit means nothing to a file
    // without a stream). Records the path. On failure returns FALSE, fills
    // `error` when given, and keeps the operating-system reason so that
    // later use of the object can report it.
    virtual BOOL Open(const char* path, UINT flags, CFileException* error = nullptr);

    // Closes the descriptor without reporting anything.
    virtual void Abort();
    // Closes the descriptor; raises CFileException::diskFull when the close
    // fails, since that is where a full disk shows on some file systems.
    virtual void Close();

    // Size of the open file in bytes as it lies on disk; the position is left alone.
    virtual ULONGLONG GetLength() const;

    // The path recorded by Open.
    const CString& GetFilePath() const { return m_strFileName; }

    FileHandle m_hFile = hFileNull;
    BOOL m_bCloseOnDelete = FALSE;
    CString m_strFileName;

protected:
    // Raises the file exception for use of an object that holds no open file:
    // the reason of its failed Open when there was one, else "invalid file".
    [[noreturn]] void ThrowNotOpen() const;

    // Operating-system error of the last failed Open (errno, or the Win32
    // error code on Windows); 0 when the last Open succeeded or none ran.
    long m_openError = 0;

private:
    // The system's own calls, one set per kind of system. Each reports a
    // failure by its operating-system error (never 0).
    static FileHandle SystemOpen(const char* path, UINT flags, long& failure);
    static long SystemClose(FileHandle handle);  // 0 when closed
    static ULONGLONG SystemLength(FileHandle handle, long& failure);
};

// Removes the file named `path`; FALSE when it could not be removed (also
// when there was none).
BOOL DeleteFileByName(const char* path);

// Some file systems write a file out at its next close after a truncating
// open has emptied it (a safeguard for programs that replace contents
// without syncing). Closing a second descriptor of `path` while it is still
// empty spends that request on nothing; elsewhere this does nothing.
void ForgoFlushOnClose(const char* path);
