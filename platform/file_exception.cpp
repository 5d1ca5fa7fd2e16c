#include "platform/file_exception.h"

#include "platform/os_error.h"

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
    return OsErrorCause(osError);
}

CString CFileException::GetErrorMessage() const
{
    const CString reason = m_lOsError != 0 ? OsErrorReason(m_lOsError) : CString(ReasonOf(m_cause));
    const char* name = m_strFileName.IsEmpty() ? "(unnamed file)" : m_strFileName.c_str();
    CString text;
    text.Format("%s %s: %s", VerbOf(m_cause), name, reason.c_str());
    return text;
}

void AfxThrowFileException(int cause, long osError, const char* fileName)
{
    throw CFileException(cause, osError, CString(fileName));
}
