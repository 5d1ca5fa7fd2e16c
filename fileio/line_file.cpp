#include "fileio/line_file.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "platform/os_error.h"
#include "platform/sysio.h"

namespace {

// Characters of one ReadLine chunk: fgets is asked for one more to hold the zero.
constexpr int LINE_CHUNK = 128;

// Size of the stream buffer: large enough that byte-by-byte and line-by-line
// callers stay cheap and the system is called once per 64 KiB.
constexpr std::size_t STREAM_BUFFER_SIZE = 64 * 1024;

#ifdef _WIN32
// ERROR_GEN_FAILURE: what a failed stream open reports when the runtime named no reason.
constexpr long GENERIC_WINDOWS_ERROR = 31;
#endif

// Stream buffers kept for the next file: a batch opens four files per job,
// and taking 64 KiB blocks from the system and giving them back every time
// would cost more than the conversion of a small file.
// The pool is shared by all threads behind a lock: a thread_local pool
// crashed the Windows build whenever a thread ended holding buffers (its
// destructor, run by MinGW's thread library, met storage already freed).
constexpr std::size_t SPARE_BUFFERS = 4;

struct SparePool {
    std::mutex lock;
    std::vector<std::unique_ptr<char[]>> buffers;
};

SparePool& Spares()
{
    static SparePool pool;
    return pool;
}

std::unique_ptr<char[]> TakeStreamBuffer()
{
    SparePool& pool = Spares();
    {
        const std::lock_guard<std::mutex> hold(pool.lock);
        if (!pool.buffers.empty()) {
            std::unique_ptr<char[]> buffer = std::move(pool.buffers.back());
            pool.buffers.pop_back();
            return buffer;
        }
    }
    return std::make_unique_for_overwrite<char[]>(STREAM_BUFFER_SIZE);
}

void GiveBackStreamBuffer(std::unique_ptr<char[]> buffer)
{
    SparePool& pool = Spares();
    const std::lock_guard<std::mutex> hold(pool.lock);
    if (buffer && pool.buffers.size() < SPARE_BUFFERS) {
        pool.buffers.push_back(std::move(buffer));
    }
}

}  // namespace

CLineFile::~CLineFile()
{
    Abort();
}

std::string CLineFile::ModeString(UINT flags)
{
    char first = 'r';
    if ((flags & OPEN_CREATE) != 0) {
        first = (flags & OPEN_NO_TRUNCATE) != 0 ? 'a' : 'w';
    } else if ((flags & OPEN_WRITE) != 0) {
        first = 'a';
    }
    bool plus = first == 'r' ? (flags & OPEN_READWRITE) != 0 : (flags & OPEN_WRITE) == 0;
    std::string mode(1, first);
    if (plus) {
        mode += '+';
    }
    mode += (flags & OPEN_BINARY) != 0 ? 'b' : 't';
    return mode;
}

BOOL CLineFile::Open(const char* path, UINT flags, CFileException* error)
{
    m_stream = nullptr;
    if (!CFile::Open(path, flags & ~OPEN_TEXT, error)) {
        return FALSE;
    }
    const long failure = OpenStream(ModeString(flags));
    if (failure == 0) {
        // The buffer is given, not just its size: some C libraries ignore the
        // size without a buffer and keep a small default one.
        if (!m_streamBuffer) {
            m_streamBuffer = TakeStreamBuffer();
        }
        std::setvbuf(m_stream, m_streamBuffer.get(), _IOFBF, STREAM_BUFFER_SIZE);
        m_offsetKnown = false;
        return TRUE;
    }
    if (error != nullptr) {
        error->m_lOsError = failure;
        error->m_cause = CFileException::OsErrorToException(failure);
        error->m_strFileName = m_strFileName;
    }
    CFile::Abort();
    m_openError = failure;
    return FALSE;
}

#ifdef _WIN32
long CLineFile::OpenStream(const std::string& mode)
{
    // The runtime's own text mode translates line ends: a descriptor made
    // with the text flag writes every line feed as CR LF and reads CR LF as
    // one line feed, and its positions stay byte offsets of the file.
    const bool text = mode.back() == 't';
    const int fd = Sys().openOsfHandle(m_hFile, text ? _O_TEXT : 0);
    if (fd != -1) {
        m_stream = Sys().fdopen(fd, mode.c_str());
    }
    if (m_stream != nullptr) {
        m_textMode = false;
        return 0;
    }
    const long failure = LastRuntimeError();
    if (fd != -1) {
        // The descriptor owns the handle now: closing it closes both.
        Sys().close(fd);
        m_hFile = hFileNull;
    }
    return failure != 0 ? failure : GENERIC_WINDOWS_ERROR;
}
#else
long CLineFile::OpenStream(const std::string& mode)
{
    // The C library here has no text translation of its own: the stream is
    // opened in binary and this class translates line ends itself.
    std::string binary = mode;
    binary.back() = 'b';
    m_stream = Sys().fdopen(m_hFile, binary.c_str());
    if (m_stream == nullptr) {
        return errno != 0 ? errno : EIO;
    }
    m_textMode = mode.back() == 't';
    return 0;
}
#endif

void CLineFile::Throw(int cause) const
{
    AfxThrowFileException(cause, LastRuntimeError(), m_strFileName);
}

void CLineFile::RequireStream() const
{
    if (m_stream == nullptr) {
        ThrowNotOpen();
    }
}

UINT CLineFile::Read(void* buffer, UINT count)
{
    if (count == 0) {
        return 0;
    }
    RequireStream();
    std::size_t got = Sys().fread(buffer, 1, count, m_stream);
    if (got == 0 && !std::feof(m_stream)) {
        Throw(CFileException::genericException);
    }
    if (std::ferror(m_stream)) {
        const long failure = LastRuntimeError();
        std::clearerr(m_stream);
        AfxThrowFileException(CFileException::genericException, failure, m_strFileName);
    }
    if (!m_textMode) {
        return static_cast<UINT>(got);
    }
    // Text mode: each CR LF pair arrives as one line feed.
    char* bytes = static_cast<char*>(buffer);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < got; ++i) {
        if (bytes[i] == '\r' && i + 1 < got && bytes[i + 1] == '\n') {
            continue;
        }
        bytes[kept++] = bytes[i];
    }
    if (kept > 0 && bytes[kept - 1] == '\r') {
        int next = std::getc(m_stream);
        if (next == '\n') {
            bytes[kept - 1] = '\n';
        } else if (next != EOF) {
            std::ungetc(next, m_stream);
        }
    }
    return static_cast<UINT>(kept);
}

void CLineFile::Write(const void* buffer, UINT count)
{
    if (count == 0) {
        return;
    }
    RequireStream();
    const char* bytes = static_cast<const char*>(buffer);
    if (!m_textMode) {
        if (Sys().fwrite(bytes, 1, count, m_stream) != count) {
            Throw(CFileException::genericException);
        }
        return;
    }
    // Text mode: every line feed lands on disk as CR LF.
    const char* end = bytes + count;
    while (bytes < end) {
        const char* feed =
            static_cast<const char*>(std::memchr(bytes, '\n', static_cast<std::size_t>(end - bytes)));
        const char* stop = feed != nullptr ? feed : end;
        std::size_t length = static_cast<std::size_t>(stop - bytes);
        if (length > 0 && Sys().fwrite(bytes, 1, length, m_stream) != length) {
            Throw(CFileException::genericException);
        }
        if (feed != nullptr && Sys().fwrite("\r\n", 1, 2, m_stream) != 2) {
            Throw(CFileException::genericException);
        }
        bytes = stop + (feed != nullptr ? 1 : 0);
    }
}

void CLineFile::WriteText(const char* text)
{
    RequireStream();
    if (m_textMode) {
        text = TranslateLineFeeds(text);
    }
    if (Sys().fputs(text, m_stream) == EOF) {
        Throw(CFileException::diskFull);
    }
}

const char* CLineFile::TranslateLineFeeds(const char* text)
{
    const char* feed = std::strchr(text, '\n');
    if (feed == nullptr) {
        return text;
    }
    // Copied in spans between line feeds, each line feed becoming CR LF,
    // into scratch room that only ever grows (twice the text holds any
    // text), so that a line costs no allocation and no filling.
    const char* const end = feed + std::strlen(feed);
    const std::size_t room = 2 * static_cast<std::size_t>(end - text) + 1;
    if (m_scratch.size() < room) {
        m_scratch.resize(room);
    }
    char* out = m_scratch.data();
    for (;;) {
        const std::size_t span = static_cast<std::size_t>(feed - text);
        std::memcpy(out, text, span);
        out[span] = '\r';
        out[span + 1] = '\n';
        out += span + 2;
        text = feed + 1;
        if (text == end) {
            break;  // the usual text: one line ended by its line feed
        }
        feed = static_cast<const char*>(std::memchr(text, '\n', static_cast<std::size_t>(end - text)));
        if (feed == nullptr) {
            std::memcpy(out, text, static_cast<std::size_t>(end - text));
            out += end - text;
            break;
        }
    }
    *out = '\0';
    return m_scratch.data();
}

BOOL CLineFile::ReadLine(CString& line)
{
    RequireStream();
    line.Empty();
    int length = 0;
    for (;;) {
        char* storage = line.GetBuffer(length + LINE_CHUNK);
        char* got = Sys().fgets(storage + length, LINE_CHUNK + 1, m_stream);
        // Only the new chunk is measured, so a long line costs linear time.
        int chunk = got != nullptr ? static_cast<int>(std::strlen(storage + length)) : 0;
        line.ReleaseBuffer(length + chunk);
        if (got == nullptr) {
            if (!std::feof(m_stream)) {
                const long failure = LastRuntimeError();
                std::clearerr(m_stream);
                AfxThrowFileException(CFileException::genericException, failure, m_strFileName);
            }
            break;
        }
        length += chunk;
        if (chunk < LINE_CHUNK || line[length - 1] == '\n') {
            break;
        }
    }
    int readLength = line.GetLength();
    if (readLength > 0 && line[readLength - 1] == '\n') {
        int cut = 1;
        if (m_textMode && readLength > 1 && line[readLength - 2] == '\r') {
            cut = 2;
        }
        line.ReleaseBuffer(readLength - cut);
    }
    return readLength != 0 ? TRUE : FALSE;
}

char* CLineFile::ReadLine(char* buffer, UINT max)
{
    RequireStream();
    int count = max > static_cast<UINT>(INT_MAX) ? INT_MAX : static_cast<int>(max);
    char* got = Sys().fgets(buffer, count, m_stream);
    if (got == nullptr) {
        if (!std::feof(m_stream)) {
            const long failure = LastRuntimeError();
            std::clearerr(m_stream);
            AfxThrowFileException(CFileException::genericException, failure, m_strFileName);
        }
        return nullptr;
    }
    if (m_textMode) {
        std::size_t length = std::strlen(buffer);
        if (length >= 2 && buffer[length - 2] == '\r' && buffer[length - 1] == '\n') {
            buffer[length - 2] = '\n';
            buffer[length - 1] = '\0';
        }
    }
    return got;
}

LONGLONG CLineFile::Seek(LONGLONG offset, UINT origin)
{
    RequireStream();
    if (Sys().fseeko(m_stream, static_cast<off_t>(offset), static_cast<int>(origin)) != 0) {
        Throw(CFileException::badSeek);
    }
    return static_cast<LONGLONG>(Sys().ftello(m_stream));
}

ULONGLONG CLineFile::GetPosition() const
{
    RequireStream();
    // A stream laid over a descriptor does not know its offset until it
    // first seeks, so every position query would be a system call; the
    // converters ask once per line. This seek only teaches the stream its
    // offset: it goes past the seam because its failure (on a pipe, say)
    // changes nothing but speed, and the query below reports it anyway.
    if (!m_offsetKnown) {
        std::fseek(m_stream, 0, SEEK_CUR);
        m_offsetKnown = true;
    }
    off_t position = Sys().ftello(m_stream);
    if (position == -1) {
        Throw(CFileException::invalidFile);
    }
    return static_cast<ULONGLONG>(position);
}

void CLineFile::Flush()
{
    if (m_stream != nullptr && Sys().fflush(m_stream) != 0) {
        Throw(CFileException::diskFull);
    }
}

void CLineFile::Close()
{
    int result = m_stream != nullptr ? Sys().fclose(m_stream) : 0;
    const long failure = LastRuntimeError();
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_stream = nullptr;
    GiveBackStreamBuffer(std::move(m_streamBuffer));
    if (result != 0) {
        AfxThrowFileException(CFileException::diskFull, failure, m_strFileName);
    }
}

void CLineFile::Abort()
{
    if (m_stream != nullptr && m_bCloseOnDelete) {
        Sys().fclose(m_stream);
        m_stream = nullptr;
    }
    if (m_stream == nullptr) {
        GiveBackStreamBuffer(std::move(m_streamBuffer));  // no stream uses it any more
    }
    m_hFile = hFileNull;
    m_stream = nullptr;
    m_bCloseOnDelete = FALSE;
}

void OpenOrThrow(CLineFile& file, const char* path, UINT flags)
{
    CFileException error;
    if (!file.Open(path, flags, &error)) {
        throw error;
    }
}
