// CLineFile: the file class through which the conversion engine does all of
// its reading and writing. A buffered stdio stream laid over the descriptor
// of the file base, read and written as raw bytes, line by line or string by
// string, in binary mode or in text mode.
//
// Text mode: a line feed written lands on disk as CR LF, a CR LF read
// arrives as one line feed, and every position and length stays a byte
// offset of the file as it lies on disk. On Windows the C runtime's own text
// mode does this; the C libraries of POSIX systems ignore the text letter of
// a stream mode, so there this class translates line ends itself.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/file.h"

// The flag words the conversion engine opens its files with.
inline constexpr UINT READ_TEXT = OPEN_READ;  // text mode is the default
inline constexpr UINT READ_BINARY = OPEN_BINARY;
inline constexpr UINT CREATE_TEXT = OPEN_CREATE | OPEN_READWRITE;
inline constexpr UINT CREATE_BINARY = OPEN_BINARY | OPEN_CREATE | OPEN_READWRITE;

class CLineFile : public CFile {
public:
    CLineFile() = default;
    // Closes a file that is still open. Errors of that close are not
    // reported: a destructor must not throw, and every caller that cares
    // closes explicitly first.
    ~CLineFile() override;

    // Opens by path (OPEN_TEXT only chooses the stream's mode, so the base
    // open never sees it), then lays a stream with the mode string of
    // `flags` over the descriptor.
    BOOL Open(const char* path, UINT flags, CFileException* error = nullptr) override;

    // Reads up to `count` bytes; 0 at end of file. Raises
    // CFileException::genericException on a read error.
    UINT Read(void* buffer, UINT count);
    // Writes `count` bytes; raises CFileException::genericException when fewer were written.
    void Write(const void* buffer, UINT count);
    // Writes a zero-terminated string; raises CFileException::diskFull on failure.
    void WriteText(const char* text);
    // Reads one line without its line feed into `line`; FALSE at end of
    // file (with an empty line). Raises CFileException::genericException on a read error.
    BOOL ReadLine(CString& line);
    // Reads at most max-1 characters of one line, line feed kept; null at end of file.
    char* ReadLine(char* buffer, UINT max);

    // Moves the position (origin 0 start, 1 current, 2 end); raises
    // CFileException::badSeek.
    LONGLONG Seek(LONGLONG offset, UINT origin);
    // Current byte offset in the file; raises CFileException::invalidFile
    // when it cannot be taken.
    ULONGLONG GetPosition() const;

    // Flushes the stream; raises CFileException::diskFull on failure.
    void Flush();
    // Closes the stream and the file; raises CFileException::diskFull when the close fails.
    void Close() override;
    // Closes without reporting anything.
    void Abort() override;

    // The mode string handed to the stream for `flags` ("rt", "w+b" ...).
    static std::string ModeString(UINT flags);

    FILE* m_stream = nullptr;

private:
    // Lays the stream over the open file; 0, or the operating-system error.
    long OpenStream(const std::string& mode);
    [[noreturn]] void Throw(int cause) const;
    void RequireStream() const;
    void PutText(const char* text, size_t length);

    // `text` with every line feed turned into CR LF (written into m_scratch when it has any).
    const char* TranslateLineFeeds(const char* text);

    bool m_textMode = false;
    std::string m_scratch;                   // text-mode translation buffer
    std::unique_ptr<char[]> m_streamBuffer;  // the stream's buffer while it is open
    mutable bool m_offsetKnown = false;      // the stream has been taught its offset
};

// Opens `file` by `path` and `flags`, raising the file exception of a failed
// open with its cause, operating-system error and path.
void OpenOrThrow(CLineFile& file, const char* path, UINT flags);
