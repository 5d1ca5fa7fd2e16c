// Operating-system error numbers as the file exception reports them. On
// POSIX systems they are errno values; on Windows they are Win32 error codes
// (what GetLastError and the C runtime's _doserrno give), so that a failed
// CreateFileA and a failed fwrite report in the same terms.
#pragma once

#include "platform/cstring.h"

// The file exception's cause code for an operating-system error number;
// 0 (no error) gives cause none, an unknown number the generic cause.
int OsErrorCause(long osError);

// Plain-words reason for an operating-system error number, worded alike on
// every system ("No such file or directory"); empty for 0.
CString OsErrorReason(long osError);

// The operating-system error of the last failed C runtime call: errno, or
// _doserrno on Windows.
long LastRuntimeError();

// The operating-system error of the last failed system call: errno, or
// GetLastError() on Windows.
long LastSystemError();

// True when `osError` says a file of the name exists already (a create of a
// new file found the name taken).
bool IsNameTakenError(long osError);
