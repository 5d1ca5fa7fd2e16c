#include "engine/filter.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "fileio/line_file.h"

namespace {

// Bytes moved per read; the work file is written from a buffer of the same size.
constexpr UINT CHUNK = 64 * 1024;

// What stands between the last printable byte and the next one.
enum class Pending { nothing, space, lineBreak };

// A byte is kept when, taken as a signed 8-bit value, it lies from space to '~'.
bool IsKept(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}

// Collects work-file bytes and hands them to the file in large pieces.
class WorkWriter {
public:
    explicit WorkWriter(CLineFile& file) : m_file(file) {}

    void Put(char byte)
    {
        if (m_used == CHUNK) {
            Drain();
        }
        m_buffer[m_used++] = byte;
    }

    void Drain()
    {
        m_file.Write(m_buffer, m_used);
        m_used = 0;
    }

private:
    CLineFile& m_file;
    char m_buffer[CHUNK];
    UINT m_used = 0;
};

void OpenOrThrow(CLineFile& file, const CString& path, UINT flags)
{
    CFileException error;
    if (!file.Open(path, flags, &error)) {
        throw error;
    }
}

}  // namespace

bool FilterControlBytes(CString source, CString workPath)
{
    CLineFile input;
    CLineFile work;
    OpenOrThrow(input, source, OPEN_BINARY);
    OpenOrThrow(work, workPath, OPEN_BINARY | OPEN_CREATE | OPEN_READWRITE);
    const ULONGLONG bound = input.GetLength();

    static thread_local unsigned char chunk[CHUNK];
    auto writer = std::make_unique<WorkWriter>(work);
    bool anyText = false;
    Pending pending = Pending::nothing;
    for (ULONGLONG done = 0; done < bound;) {
        UINT want = static_cast<UINT>(std::min<ULONGLONG>(CHUNK, bound - done));
        UINT got = input.Read(chunk, want);
        if (got < 1) {
            break;  // the file became shorter: copy what was there
        }
        done += got;
        for (UINT i = 0; i < got; ++i) {
            unsigned char byte = chunk[i];
            if (IsKept(byte)) {
                if (pending == Pending::space) {
                    writer->Put(' ');
                } else if (pending == Pending::lineBreak) {
                    writer->Put('\r');
                    writer->Put('\n');
                }
                writer->Put(static_cast<char>(byte));
                pending = Pending::nothing;
                anyText = true;
            } else if (!anyText) {
                // Separators before the first text are dropped without trace.
            } else if (byte == '\t') {
                // Current instrument software separates columns with a tab
                // inside a data row; turning it into a line break would shift
                // the numbers into the wrong columns, so a run of tabs between
                // two printable bytes becomes one space.
                if (pending == Pending::nothing) {
                    pending = Pending::space;
                }
            } else {
                pending = Pending::lineBreak;
            }
        }
    }
    if (pending != Pending::nothing) {
        writer->Put('\r');
        writer->Put('\n');
    }
    writer->Drain();
    input.Close();
    work.Flush();
    work.Close();
    return true;
}
