#include "platform/file_exception.h"

#include "platform/os_error.h"

namespace {

// What each cause says before the path, in plain words, and the reason
// given when the operating system gave none.
struct CauseText {
    int cause;
    const char* verb;
    const char* reason;
};

constexpr CauseText CAUSE_TEXTS[] = {
    {CFileException::none, "file error on", "unspecified error"},
    {CFileException::genericException, "cannot read or write", "unspecified error"},
    {CFileException::fileNotFound, "cannot open", "unspecified error"},
    {CFileException::badPath, "cannot open", "unspecified error"},
    {CFileException::tooManyOpenFiles, "cannot open", "unspecified error"},
    {CFileException::accessDenied, "cannot open", "unspecified error"},
    {CFileException::invalidFile, "cannot use", "the file is not open"},
    {CFileException::removeCurrentDir, "cannot remove", "unspecified error"},
    {CFileException::directoryFull, "cannot create", "unspecified error"},
    {CFileException::badSeek, "cannot seek in", "seek error"},
    {CFileException::hardIO, "hardware error on", "unspecified error"},
    {CFileException::sharingViolation, "cannot open", "unspecified error"},
    {CFileException::lockViolation, "cannot lock", "unspecified error"},
    {CFileException::diskFull, "cannot write", "write error"},
    {CFileException::endOfFile, "unexpected end of", "end of file"},
    {CFileException::replaceFailed, "cannot replace", "unspecified error"},
    {CFileException::refused, "refusing to use", "unspecified error"},
};

// The row of `cause`; the row of `none` for a cause the table lacks.
const CauseText& TextOf(int cause)
{
    for (const CauseText& entry : CAUSE_TEXTS) {
        if (entry.cause == cause) {
            return entry;
        }
    }
    return CAUSE_TEXTS[0];
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
    return OsErrorCause(osError);
}

CString CFileException::GetErrorMessage() const
{
    CString reason = m_strReason;
    if (m_lOsError != 0) {
        reason = OsErrorReason(m_lOsError);
    } else if (reason.IsEmpty()) {
        reason = TextOf(m_cause).reason;
    }
    const char* name = m_strFileName.IsEmpty() ? "(unnamed file)" : m_strFileName.c_str();
    CString text;
    text.Format("%s %s: %s", TextOf(m_cause).verb, name, reason.c_str());
    return text;
}

void AfxThrowFileException(int cause, long osError, const char* fileName)
{
    throw CFileException(cause, osError, CString(fileName));
}

void AfxThrowOsError(long osError, const char* fileName, int cause)
{
    AfxThrowFileException(cause == CFileException::none ? CFileException::OsErrorToException(osError) : cause,
                          osError, fileName);
}

void AfxThrowFileRefusal(int cause, const char* fileName, const char* reason)
{
    CFileException error(cause, 0, CString(fileName));
    error.m_strReason = reason;
    throw error;
}
