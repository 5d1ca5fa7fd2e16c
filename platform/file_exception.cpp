#include "platform/file_exception.h"

#include <cerrno>
#include <cstring>

namespace {

// What each cause says before the path, in plain words.
struct CauseText {
    int cause;
    const char* verb;
};

constexpr CauseText CAUSE_TEXTS[] = {
    {CFileException::none, "file error on"},
    {CFileException::genericException, "cannot read or write"},
    {CFileException::fileNotFound, "cannot open"},
    {CFileException::badPath, "cannot open"},
    {CFileException::tooManyOpenFiles, "cannot open"},
    {CFileException::accessDenied, "cannot open"},
    {CFileException::invalidFile, "cannot use"},
    {CFileException::removeCurrentDir, "cannot remove"},
    {CFileException::directoryFull, "cannot create"},
    {CFileException::badSeek, "cannot seek in"},
    {CFileException::hardIO, "hardware error on"},
    {CFileException::sharingViolation, "cannot open"},
    {CFileException::lockViolation, "cannot lock"},
    {CFileException::diskFull, "cannot write"},
    {CFileException::endOfFile, "unexpected end of"},
};

// The reason when the operating system gave none.
struct CauseReason {
    int cause;
    const char* reason;
};

constexpr CauseReason CAUSE_REASONS[] = {
    {CFileException::genericException, "unspecified error"},
    {CFileException::invalidFile, "the file is not open"},
    {CFileException::badSeek, "seek error"},
    {CFileException::diskFull, "write error"},
    {CFileException::endOfFile, "end of file"},
};

// errno values and the cause each stands for.
struct ErrnoCause {
    int osError;
    int cause;
};

constexpr ErrnoCause ERRNO_CAUSES[] = {
    {ENOENT, CFileException::fileNotFound},
    {ENOTDIR, CFileException::badPath},
    {ENAMETOOLONG, CFileException::badPath},
    {ELOOP, CFileException::badPath},
    {EMFILE, CFileException::tooManyOpenFiles},
    {ENFILE, CFileException::tooManyOpenFiles},
    {EACCES, CFileException::accessDenied},
    {EPERM, CFileException::accessDenied},
    {EROFS, CFileException::accessDenied},
    {EISDIR, CFileException::accessDenied},
    {EBADF, CFileException::invalidFile},
    {EINVAL, CFileException::invalidFile},
    {ESPIPE, CFileException::badSeek},
    {EIO, CFileException::hardIO},
    {ETXTBSY, CFileException::sharingViolation},
    {EBUSY, CFileException::sharingViolation},
    {EDEADLK, CFileException::lockViolation},
    {ENOLCK, CFileException::lockViolation},
    {ENOSPC, CFileException::diskFull},
    {EDQUOT, CFileException::diskFull},
    {EFBIG, CFileException::diskFull},
};

const char* VerbOf(int cause)
{
    for (const CauseText& entry : CAUSE_TEXTS) {
        if (entry.cause == cause) {
            return entry.verb;
        }
    }
    return "file error on";
}

const char* ReasonOf(int cause)
{
    for (const CauseReason& entry : CAUSE_REASONS) {
        if (entry.cause == cause) {
            return entry.reason;
        }
    }
    return "unspecified error";
}

}  // namespace

const char* CException::what() const noexcept
{
    try {
        m_what = GetErrorMessage().str();
    } catch (...) {
        return "error";
    }
    return m_what.c_str();
}

int CFileException::OsErrorToException(long osError)
{
    if (osError == 0) {
        return none;
    }
    for (const ErrnoCause& entry : ERRNO_CAUSES) {
        if (entry.osError == osError) {
            return entry.cause;
        }
    }
    return genericException;
}

CString CFileException::GetErrorMessage() const
{
    const char* reason = m_lOsError != 0 ? std::strerror(static_cast<int>(m_lOsError)) : ReasonOf(m_cause);
    const char* name = m_strFileName.IsEmpty() ? "(unnamed file)" : m_strFileName.c_str();
    CString text;
    text.Format("%s %s: %s", VerbOf(m_cause), name, reason);
    return text;
}

CString CNotSupportedException::GetErrorMessage() const
{
    return CString("operation not supported");
}

void AfxThrowFileException(int cause, long osError, const char* fileName)
{
    throw CFileException(cause, osError, CString(fileName));
}

void AfxThrowNotSupportedException()
{
    throw CNotSupportedException();
}
