// Operating-system errors on Windows: Win32 error codes.
#include "platform/os_error.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file_exception.h"
#include "platform/win32_errors.h"

namespace {

const Win32ErrorEntry* FindEntry(long osError)
{
    for (const Win32ErrorEntry& entry : WIN32_ERRORS) {
        if (entry.code == static_cast<unsigned long>(osError)) {
            return &entry;
        }
    }
    return nullptr;
}

// The first Win32 code that stands for `posixError`, 0 when none does.
long CodeForPosixError(int posixError)
{
    for (const Win32ErrorEntry& entry : WIN32_ERRORS) {
        if (entry.posixError == posixError) {
            return static_cast<long>(entry.code);
        }
    }
    return 0;
}

// The system's own words for a code the table does not know, without the
// line end and the full stop it puts after them.
CString SystemMessage(long osError)
{
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(osError), 0, text, sizeof text, nullptr);
    CString reason(text, static_cast<int>(length));
    int end = reason.GetLength();
    while (end > 0 && (reason[end - 1] == '\r' || reason[end - 1] == '\n' || reason[end - 1] == ' ' ||
                       reason[end - 1] == '.')) {
        --end;
    }
    if (end == 0) {
        CString unknown;
        unknown.Format("Windows error %ld", osError);
        return unknown;
    }
    return reason.Left(end);
}

}  // namespace

int OsErrorCause(long osError)
{
    if (osError == 0) {
        return CFileException::none;
    }
    const Win32ErrorEntry* entry = FindEntry(osError);
    return entry != nullptr ? entry->cause : CFileException::genericException;
}

CString OsErrorReason(long osError)
{
    if (osError == 0) {
        return CString();
    }
    const Win32ErrorEntry* entry = FindEntry(osError);
    return entry != nullptr ? CString(entry->reason) : SystemMessage(osError);
}

long LastRuntimeError()
{
    // Every failing runtime call sets errno; only those that failed in a
    // system call also set _doserrno, which no success ever clears. The
    // precise Win32 code counts only while it agrees with errno; otherwise
    // it is left over from an older failure, and the code of errno's
    // meaning stands in.
    const long code = static_cast<long>(_doserrno);
    const Win32ErrorEntry* entry = FindEntry(code);
    if (code != 0 && (entry == nullptr || entry->posixError == errno)) {
        return code;
    }
    return CodeForPosixError(errno);
}

long LastSystemError()
{
    return static_cast<long>(GetLastError());
}

bool IsNameTakenError(long osError)
{
    return osError == ERROR_FILE_EXISTS || osError == ERROR_ALREADY_EXISTS;
}
