// The parts of CFile that are the same on every system.
#include "platform/file.h"

CFile::~CFile()
{
    CFile::Abort();
}

void CFile::ThrowNotOpen() const
{
    if (m_openError != 0) {
        AfxThrowFileException(CFileException::OsErrorToException(m_openError), m_openError, m_strFileName);
    }
    AfxThrowFileException(CFileException::invalidFile, 0, m_strFileName);
}
