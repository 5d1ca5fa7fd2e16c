// The field splitter of the impedance converter.
#include "engine/field_splitter.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// The first `delimiter` in [start, end), or `end`. Fields are short, so the
// search goes eight bytes at a time in the line itself rather than through
// a library call per field.
const char* FindDelimiter(const char* start, const char* end, char delimiter)
{
    constexpr std::uint64_t ONES = 0x0101010101010101ull;
    constexpr std::uint64_t HIGH_BITS = 0x8080808080808080ull;
    const char* p = start;
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t pattern = ONES * static_cast<unsigned char>(delimiter);
        for (; end - p >= 8; p += 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            // A zero byte of `x` is a delimiter; the lowest mark is exact.
            const std::uint64_t x = word ^ pattern;
            const std::uint64_t marks = (x - ONES) & ~x & HIGH_BITS;
            if (marks != 0) {
                return p + std::countr_zero(marks) / 8;
            }
        }
    }
    while (p != end && *p != delimiter) {
        ++p;
    }
    return p;
}

}  // namespace

int CFieldSplitter::Split(CString line, char delimiter, CString* fields, int capacity)
{
    // Each field is cut as soon as the delimiter that ends it is found, and
    // the scan stops once `capacity` fields are stored. No table of
    // positions is kept, so neither the line length nor the number of
    // delimiters is bounded. Fields are refilled in place: the caller's
    // array keeps its storage from one row to the next.
    if (capacity <= 0) return 0;
    const char* start = line.c_str();
    const char* const end = start + line.GetLength();
    int stored = 0;
    for (const char* cut = FindDelimiter(start, end, delimiter); cut != end;
         cut = FindDelimiter(start, end, delimiter)) {
        fields[stored++].SetString(start, static_cast<int>(cut - start));
        if (stored == capacity) return stored;
        start = cut + 1;
    }
    // The text after the last delimiter is a field unless it is empty
    // because the line ends with the delimiter; an empty line is one empty field.
    if (line.IsEmpty() || end[-1] != delimiter)
        fields[stored++].SetString(start, static_cast<int>(end - start));
    return stored;
}
