// The exceptions of the platform layer: file errors with a cause code, the
// operating-system error number and the path.
#pragma once

#include <exception>
#include <string>

#include "platform/cstring.h"

// Base of every exception the platform layer raises.
class CException : public std::exception {
public:
    // Plain-words description of the failure.
    virtual CString GetErrorMessage() const = 0;
    const char* what() const noexcept override;

private:
    mutable std::string m_what;
};

class CFileException : public CException {
public:
    // Cause codes of a file failure.
    enum Cause : int {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
        // Beyond the classic codes: a finished output could not take its
        // name, and a path was refused before anything was opened through it.
        replaceFailed = 15,
        refused = 16,
    };

    CFileException() = default;
    CFileException(int cause, long osError, const CString& fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
    {
    }

    // Maps an operating-system error number (errno, or a Win32 error code on
    // Windows) to a cause code.
    static int OsErrorToException(long osError);

    // "cannot read /data/run/cell.idf: Input/output error", and so on.
    CString GetErrorMessage() const override;

    int m_cause = none;
    long m_lOsError = 0;
    CString m_strFileName;
    // The reason in plain words where no operating-system error applies.
    CString m_strReason;
};

// Raise a file exception; never return.
[[noreturn]] void AfxThrowFileException(int cause, long osError, const char* fileName);
// Raise the file exception for a system call on `fileName` that failed with
// `osError`; the cause follows from the error unless `cause` names one.
[[noreturn]] void AfxThrowOsError(long osError, const char* fileName, int cause = CFileException::none);
// Raise a file exception whose reason no operating-system error gives.
[[noreturn]] void AfxThrowFileRefusal(int cause, const char* fileName, const char* reason);
