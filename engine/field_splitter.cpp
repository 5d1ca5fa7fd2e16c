// The field splitter of the impedance converter.
#include "engine/field_splitter.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint64_t LOW_SEVEN_BITS = 0x7F7F7F7F7F7F7F7Full;

// Marks, in the high bit of each byte, exactly the bytes of `word` equal to
// the byte repeated in `pattern`: such a byte of `word ^ pattern` is zero,
// and adding 0x7F to the low seven bits of any other byte reaches its high
// bit, with no carry from one byte into the next.
std::uint64_t MatchingBytes(std::uint64_t word, std::uint64_t pattern)
{
    const std::uint64_t x = word ^ pattern;
    return ~(((x & LOW_SEVEN_BITS) + LOW_SEVEN_BITS) | x | LOW_SEVEN_BITS);
}

}  // namespace

int CFieldSplitter::Split(const CString& line, char delimiter, CString* fields, int capacity)
{
    // The line is read in place, not copied for every row; only a line that
    // is itself one of the fields to fill is copied first, because filling
    // that field would change the text still being cut.
    if (capacity > 0 && std::less_equal<const CString*>()(fields, &line) &&
        std::less<const CString*>()(&line, fields + capacity)) {
        const CString copy(line);
        return Split(copy, delimiter, fields, capacity);
    }
    // Each field is cut as soon as the delimiter that ends it is found, and
    // the scan stops once `capacity` fields are stored. No table of
    // positions is kept, so neither the line length nor the number of
    // delimiters is bounded. Fields are refilled in place: the caller's
    // array keeps its storage from one row to the next.
    if (capacity <= 0) {
        return 0;
    }
    const char* const text = line.c_str();
    const char* const end = text + line.GetLength();
    const char* start = text;
    int stored = 0;
    // Stores the field that ends at `cut`; true once the array is full.
    const auto cutField = [&](const char* cut) {
        fields[stored++].SetString(start, static_cast<int>(cut - start));
        start = cut + 1;
        return stored == capacity;
    };
    // A row holds many short fields: the delimiters are found a block of
    // bytes at a time (sixteen where the processor compares that many at
    // once, then eight), and only the rest byte by byte.
    const char* p = text;
#if defined(__SSE2__)
    const __m128i wide = _mm_set1_epi8(delimiter);
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto marks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wide)));
        for (; marks != 0; marks &= marks - 1) {
            if (cutField(p + std::countr_zero(marks))) {
                return stored;
            }
        }
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t pattern = 0x0101010101010101ull * static_cast<unsigned char>(delimiter);
        for (; end - p >= 8; p += 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            for (std::uint64_t marks = MatchingBytes(word, pattern); marks != 0; marks &= marks - 1) {
                if (cutField(p + std::countr_zero(marks) / 8)) {
                    return stored;
                }
            }
        }
    }
    for (; p != end; ++p) {
        if (*p == delimiter && cutField(p)) {
            return stored;
        }
    }
    // The text after the last delimiter is a field unless it is empty
    // because the line ends with the delimiter; an empty line is one empty field.
    if (line.IsEmpty() || end[-1] != delimiter)
        fields[stored++].SetString(start, static_cast<int>(end - start));
    return stored;
}
