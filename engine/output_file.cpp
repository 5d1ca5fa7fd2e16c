#include "engine/output_file.h"

#include "platform/file_status.h"
#include "platform/interruption.h"
#include "platform/os_error.h"

namespace {

// What follows the output's name while it is being written.
constexpr const char* UNFINISHED_SUFFIX = ".unfinished";
// Names tried before giving up: each one taken is an earlier run's leftover
// or another instance writing the same output right now.
constexpr int MAX_NAME_TRIES = 100;

CString TemporaryName(const CString& outputPath, int attempt)
{
    CString name = outputPath + UNFINISHED_SUFFIX;
    if (attempt > 1) {
        CString number;
        number.Format("-%d", attempt);
        name += number;
    }
    return name;
}

}  // namespace

// A finished output takes the place of what has its name: that must be an
// earlier output, never a folder, and never a device, which a rename would
// take out of the system.
void RefuseIrreplaceableOutput(const CString& outputPath)
{
    const FileStatus output = StatusOrThrow(outputPath, true);
    if (output.kind == FileKind::directory || output.kind == FileKind::other) {
        AfxThrowFileRefusal(CFileException::refused, outputPath,
                            "its name is taken by a folder, device or other file that is not a regular one");
    }
}

COutputFile::COutputFile(const CString& outputPath) : m_outputPath(outputPath)
{
    RefuseIrreplaceableOutput(outputPath);
    for (int attempt = 1;; ++attempt) {
        m_temporaryPath = TemporaryName(outputPath, attempt);
        CFileException error;
        if (m_file.Open(m_temporaryPath, CREATE_TEXT | OPEN_CREATE_NEW, &error)) {
            NoteUnfinished(UnfinishedFile::output, m_temporaryPath);
            // Errors name the output: the user knows that name, and the
            // temporary is gone by the time anyone reads the message.
            m_file.m_strFileName = outputPath;
            return;
        }
        if (!IsNameTakenError(error.m_lOsError)) {
            // The name was free, so a file there now (made before its
            // stream failed) is this call's own.
            FileStatus left;
            if (GetFileStatus(m_temporaryPath, false, left) == 0 && left.kind == FileKind::regular) {
                DeleteFileByName(m_temporaryPath);
            }
        }
        if (!IsNameTakenError(error.m_lOsError) || attempt == MAX_NAME_TRIES) {
            error.m_strFileName = outputPath;
            throw error;
        }
    }
}

COutputFile::~COutputFile()
{
    if (!m_committed) {
        Discard();
    }
}

void COutputFile::Commit()
{
    try {
        m_file.Close();
    } catch (...) {
        Discard();
        throw;
    }
    const long failure = ReplaceFileByName(m_temporaryPath, m_outputPath);
    if (failure != 0) {
        Discard();
        AfxThrowFileException(CFileException::replaceFailed, failure, m_outputPath);
    }
    m_committed = true;
    NoteUnfinished(UnfinishedFile::output, nullptr);
}

void COutputFile::Discard()
{
    m_file.Abort();
    DeleteFileByName(m_temporaryPath);
    NoteUnfinished(UnfinishedFile::output, nullptr);
    m_committed = true;
}
