#include "engine/filter.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "fileio/line_file.h"

namespace {

// Bytes moved per read; the work file is written from a buffer of the same size.
constexpr UINT CHUNK = 64 * 1024;

// What stands between the last printable byte and the next one.
enum class Pending { nothing, space, lineBreak };

// A byte is kept when it lies from space to '~'. Every byte from 0x80 up is
// a separator too: the byte of a non-ASCII character is never text here.
bool IsKept(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}

// Marks, in the high bit of each byte, the bytes of `word` that are not
// kept: below 0x20 (a borrow may also mark a later byte) or above 0x7E. The
// lowest mark is always exact, and it is the only one KeptRunLength reads.
std::uint64_t NotKeptMarks(std::uint64_t word)
{
    constexpr std::uint64_t ONES = 0x0101010101010101ull;
    constexpr std::uint64_t HIGH_BITS = 0x8080808080808080ull;
    const std::uint64_t below = (word - ONES * 0x20) & ~word;
    const std::uint64_t above = (word + ONES * (0x7F - 0x7E)) | word;
    return (below | above) & HIGH_BITS;
}

// Length of the run of kept bytes at the start of `bytes`: sixteen bytes at
// a time where the processor compares that many at once, then eight where
// the byte order allows, for the long runs that make up most files.
UINT KeptRunLength(const unsigned char* bytes, UINT size)
{
    UINT length = 0;
#if defined(__SSE2__)
    const __m128i belowKept = _mm_set1_epi8(0x1F);
    const __m128i aboveKept = _mm_set1_epi8(0x7F);
    for (; size - length >= 16; length += 16) {
        // As signed bytes the kept ones lie above 0x1F and below 0x7F; every
        // byte from 0x80 up is negative.
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + length));
        const __m128i kept =
            _mm_and_si128(_mm_cmpgt_epi8(block, belowKept), _mm_cmplt_epi8(block, aboveKept));
        const unsigned notKept = ~static_cast<unsigned>(_mm_movemask_epi8(kept)) & 0xFFFFu;
        if (notKept != 0) {
            return length + static_cast<UINT>(std::countr_zero(notKept));
        }
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        for (; size - length >= 8; length += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + length, sizeof word);
            const std::uint64_t marks = NotKeptMarks(word);
            if (marks != 0) {
                return length + static_cast<UINT>(std::countr_zero(marks)) / 8;
            }
        }
    }
    while (length < size && IsKept(bytes[length])) {
        ++length;
    }
    return length;
}

// Collects work-file bytes in `buffer` (CHUNK bytes) and hands them to the
// file in large pieces.
class WorkWriter {
public:
    WorkWriter(CLineFile& file, char* buffer) : m_file(file), m_buffer(buffer) {}

    void Put(const char* bytes, UINT count)
    {
        if (count > CHUNK - m_used) {
            Drain();
        }
        if (count >= CHUNK) {
            m_file.Write(bytes, count);
            return;
        }
        std::memcpy(m_buffer + m_used, bytes, count);
        m_used += count;
    }

    void Drain()
    {
        m_file.Write(m_buffer, m_used);
        m_used = 0;
    }

private:
    CLineFile& m_file;
    char* m_buffer;
    UINT m_used = 0;
};

// Where the copy stands between two runs of kept bytes.
struct FilterState {
    bool anyText = false;
    Pending pending = Pending::nothing;
};

// Writes what stands between the previous run of kept bytes and the next.
void PutPending(WorkWriter& writer, Pending pending)
{
    if (pending == Pending::space) {
        writer.Put(" ", 1);
    } else if (pending == Pending::lineBreak) {
        writer.Put("\r\n", 2);
    }
}

// Takes note of one separator byte.
void NoteSeparator(unsigned char byte, FilterState& state)
{
    if (!state.anyText) {
        return;  // separators before the first text are dropped without trace
    }
    if (byte != '\t') {
        state.pending = Pending::lineBreak;
    } else if (state.pending == Pending::nothing) {
        // Current instrument software separates columns with a tab inside a
        // data row; turning it into a line break would shift the numbers
        // into the wrong columns, so a run of tabs between two printable
        // bytes becomes one space.
        state.pending = Pending::space;
    }
}

// Filters one chunk of the input: each run of kept bytes is copied whole,
// after whatever the separators before it call for.
void FilterChunk(const unsigned char* chunk, UINT size, FilterState& state, WorkWriter& writer)
{
    UINT i = 0;
    while (i < size) {
        const UINT run = KeptRunLength(chunk + i, size - i);
        if (run > 0) {
            PutPending(writer, state.pending);
            writer.Put(reinterpret_cast<const char*>(chunk + i), run);
            state.pending = Pending::nothing;
            state.anyText = true;
            i += run;
        }
        for (; i < size && !IsKept(chunk[i]); ++i) {
            NoteSeparator(chunk[i], state);
        }
    }
}

}  // namespace

bool FilterControlBytes(CString source, CString workPath)
{
    CLineFile input;
    CLineFile work;
    OpenOrThrow(input, source, READ_BINARY);
    OpenOrThrow(work, workPath, CREATE_BINARY);
    // The work-file lock has always created the file before, so a flush on
    // the close that follows would put every byte on the disk just before it
    // is read back and deleted.
    ForgoFlushOnClose(workPath);
    const ULONGLONG bound = input.GetLength();

    // One pair of buffers serves every call: fresh blocks from the system
    // for each file would cost more than the copy of a small one.
    static thread_local unsigned char chunk[CHUNK];
    static thread_local char workBuffer[CHUNK];
    WorkWriter writer(work, workBuffer);
    FilterState state;
    for (ULONGLONG done = 0; done < bound;) {
        UINT want = static_cast<UINT>(std::min<ULONGLONG>(CHUNK, bound - done));
        UINT got = input.Read(chunk, want);
        if (got < 1) {
            break;  // the file became shorter: copy what was there
        }
        done += got;
        FilterChunk(chunk, got, state, writer);
    }
    if (state.pending != Pending::nothing) {
        writer.Put("\r\n", 2);
    }
    writer.Drain();
    input.Close();
    work.Flush();
    work.Close();
    return true;
}
