#include "engine/output_file.h"

#include <cstdio>
#include <string>

#include "platform/file_status.h"
#include "platform/interruption.h"
#include "platform/os_error.h"

namespace {

// What follows the output's name while it is being written.
constexpr const char* UNFINISHED_SUFFIX = ".unfinished";
// Names tried before giving up: each one taken is another instance writing
// the same output right now, or a leftover that could not be removed.
constexpr int MAX_NAME_TRIES = 100;

// Where the folder part of `path` ends: after its last separator.
std::size_t NameStart(const std::string& path)
{
#ifdef _WIN32
    const std::size_t at = path.find_last_of("\\/:");
#else
    const std::size_t at = path.rfind('/');
#endif
    return at == std::string::npos ? 0 : at + 1;
}

// A mark of `name` and `attempt`, "~" and six hex digits: FNV-1a, which is
// the same on every system and run.
std::string MarkOf(const std::string& name, int attempt)
{
    unsigned long long hash = 14695981039346656037ull;
    const std::string text = name + "/" + std::to_string(attempt);
    for (const char byte : text) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    }
    char mark[8];
    std::snprintf(mark, sizeof mark, "~%06llx", hash & 0xFFFFFFull);
    return mark;
}

// The first `length` bytes of `name`, not ending inside a character of
// more than one byte.
std::string Cut(const std::string& name, std::size_t length)
{
    while (length > 0 && static_cast<unsigned char>(name[length - 1]) >= 0x80) {
        --length;
    }
    return name.substr(0, length);
}

// A file that an output may be written into: a plain file of one name.
// Anything else under an unfinished name is left alone.
bool IsPlainFile(const FileStatus& status)
{
    return status.kind == FileKind::regular && status.links <= 1;
}

// Removes `name` when it is the leftover of an instance that no longer
// runs: a plain file that no one holds the lock on. True when it is gone.
bool RemoveLeftover(const CString& name)
{
    if (!IsPlainFile(StatusOrThrow(name, false))) {
        return false;
    }
    CFileLock lock;
    try {
        // Whoever made it holds the lock while it writes; one who made it a
        // moment ago and finds it gone when it takes the lock tries another name.
        if (!lock.TryAcquire(name)) {
            return false;
        }
    } catch (const CFileException&) {
        return false;  // another user's leftover, say: left where it is
    }
    return DeleteFileByName(name) != FALSE;
}

}  // namespace

CString UnfinishedNameFor(const CString& outputPath, int attempt)
{
    const std::string path = outputPath.str();
    const std::size_t start = NameStart(path);
    const std::string name = path.substr(start);
    std::string plain = name + UNFINISHED_SUFFIX;
    if (attempt > 1) {
        plain += "-" + std::to_string(attempt);
    }
    const std::size_t room = LongestNameBeside(outputPath);
    if (plain.size() <= room) {
        return CString((path.substr(0, start) + plain).c_str());
    }
    // The mark keeps names of one output apart, and mostly those of
    // outputs that begin alike; two that still meet only take turns.
    std::string tail = MarkOf(name, attempt) + UNFINISHED_SUFFIX;
    if (tail.size() > room) {
        tail = MarkOf(name, attempt);
    }
    const std::size_t kept = room > tail.size() ? room - tail.size() : 0;
    return CString((path.substr(0, start) + Cut(name, kept) + tail).c_str());
}

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

// Opening for writing, without creating or emptying, asks the system the
// very question an output written in place would have asked.
void RefuseUnwritableOutput(const CString& outputPath)
{
    if (StatusOrThrow(outputPath, true).kind != FileKind::regular) {
        return;  // nothing to replace, or RefuseIrreplaceableOutput's concern
    }
    CFile output;
    CFileException error;
    if (output.Open(outputPath, OPEN_WRITE, &error)) {
        output.Abort();
        return;
    }
    if (StatusOrThrow(outputPath, true).kind == FileKind::missing) {
        return;  // removed meanwhile: nothing is replaced
    }
    error.m_strFileName = outputPath;
    throw error;
}

COutputFile::COutputFile(const CString& outputPath) : m_outputPath(outputPath)
{
    RefuseIrreplaceableOutput(outputPath);
    RefuseUnwritableOutput(outputPath);
    try {
        for (int attempt = 1;; ++attempt) {
            if (Take(UnfinishedNameFor(outputPath, attempt))) {
                RemoveLeftoversAfter(attempt);
                break;
            }
            if (attempt == MAX_NAME_TRIES) {
                throw m_nameTaken;
            }
        }
    } catch (CFileException& error) {
        if (!m_temporaryPath.IsEmpty()) {
            Discard();  // no destructor runs for an object that was never made
        }
        // Errors name the output: the user knows that name, and the
        // temporary is gone by the time anyone reads the message.
        error.m_strFileName = outputPath;
        throw;
    }
    m_file.m_strFileName = outputPath;
}

bool COutputFile::Take(const CString& name)
{
    // A leftover of a killed run is removed and its name used again, once.
    for (int round = 0; round < 2; ++round) {
        const CInterruptionsHeld held;
        CFileException error;
        if (!m_file.Open(name, CREATE_TEXT | OPEN_CREATE_NEW, &error)) {
            if (!IsNameTakenError(error.m_lOsError)) {
                // The name was free, so a file there now (made before its
                // stream failed) is this call's own.
                if (IsPlainFile(StatusOrThrow(name, false))) {
                    DeleteFileByName(name);
                }
                throw error;
            }
            m_nameTaken = error;
            if (round == 0 && RemoveLeftover(name)) {
                continue;
            }
            return false;
        }
        NoteUnfinished(UnfinishedFile::output, name);
        bool ours = false;
        try {
            ours = m_lock.TryAcquire(name) && m_lock.IsOn(m_file.m_hFile);
        } catch (const CFileException&) {
            m_lock.Release();
            m_file.Abort();
            DeleteFileByName(name);
            NoteUnfinished(UnfinishedFile::output, nullptr);
            throw;
        }
        if (!ours) {
            // Another instance took the new file for a leftover and holds
            // it, or removed it already: it is that instance's to remove.
            m_lock.Release();
            m_file.Abort();
            NoteUnfinished(UnfinishedFile::output, nullptr);
            m_nameTaken = CFileException(CFileException::lockViolation, 0, name);
            return false;
        }
        m_temporaryPath = name;
        return true;
    }
    return false;
}

void COutputFile::RemoveLeftoversAfter(int attempt) const
{
    for (int later = attempt + 1; later <= MAX_NAME_TRIES; ++later) {
        const CString name = UnfinishedNameFor(m_outputPath, later);
        if (StatusOrThrow(name, false).kind == FileKind::missing) {
            return;  // names are taken one after another: none lies beyond a free one
        }
        RemoveLeftover(name);
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
    long failure = 0;
    {
        const CInterruptionsHeld held;
        failure = ReplaceFileByName(m_temporaryPath, m_outputPath);
        if (failure == 0) {
            m_committed = true;
            NoteUnfinished(UnfinishedFile::output, nullptr);
        }
    }
    if (failure != 0) {
        Discard();
        AfxThrowFileException(CFileException::replaceFailed, failure, m_outputPath);
    }
    m_lock.Release();
}

void COutputFile::Discard()
{
    {
        const CInterruptionsHeld held;
        m_file.Abort();
        // Still held, so the name still leads to this object's file.
        DeleteFileByName(m_temporaryPath);
        NoteUnfinished(UnfinishedFile::output, nullptr);
        m_committed = true;
    }
    m_lock.Release();
}
