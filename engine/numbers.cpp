// Number reading and writing: the exact fast paths for the plain shapes of
// data files, the C runtime pinned to the "C" locale for everything else.
#include "engine/numbers.h"

#include <locale.h>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "engine/numbers_fast.h"

namespace {

// Room for a line of the fast path: three numbers, two separators, the line feed and the zero.
constexpr std::size_t FAST_LINE_CAPACITY = 3 * PLAIN_FIXED_MAX + 4;

// Makes the "C" locale the calling thread's locale for the guard's lifetime,
// so a toolkit that sets a locale with a decimal comma cannot change what
// the files read or the outputs say.
class CLocaleScope {
public:
    CLocaleScope() : m_saved(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(m_saved); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t CLocale()
    {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c;
    }

    locale_t m_saved;
};

// "%g %g %g" through the C runtime: each space of the format skips any
// run of white space, as the "%g" after it would anyway.
int ReadTripleSlowly(const char* text, float (&parsed)[3])
{
    CLocaleScope locale;
    const int read = std::sscanf(text, "%g %g %g", &parsed[0], &parsed[1], &parsed[2]);
    // sscanf gives EOF when the text ends before the first number.
    return read < 0 ? 0 : read;
}

// Reads up to three numbers into `parsed` and returns how many were read.
// A line with any shape the fast path leaves open is read whole by the C runtime.
int ReadTriple(const char* text, float (&parsed)[3])
{
    const char* cursor = text;
    for (int stored = 0; stored < 3; ++stored) {
        switch (ReadPlainFloat(cursor, parsed[stored])) {
            case FastRead::number:
                break;
            case FastRead::none:
                return stored;
            case FastRead::unsure:
                return ReadTripleSlowly(text, parsed);
        }
    }
    return 3;
}

// Writes the line with the fast path when all three values allow it;
// returns its length, or 0 when the C runtime must write it.
int FormatLineQuickly(char* buffer, char separator, double first, double second, double third)
{
    char* p = buffer;
    const double values[3] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
        const int length = WritePlainFixed(p, values[i]);
        if (length == 0) return 0;
        p += length;
        *p++ = i < 2 ? separator : '\n';
    }
    *p = '\0';
    return static_cast<int>(p - buffer);
}

}  // namespace

bool ParseFloat(const char* text, float& value)
{
    const char* cursor = text;
    switch (ReadPlainFloat(cursor, value)) {
        case FastRead::number:
            return true;
        case FastRead::none:
            return false;
        case FastRead::unsure:
            break;
    }
    CLocaleScope locale;
    float parsed = 0.0f;
    if (std::sscanf(text, "%g", &parsed) != 1) return false;
    value = parsed;
    return true;
}

int ParseFloatTriple(const char* text, float& first, float& second, float& third)
{
    float parsed[3] = {0.0f, 0.0f, 0.0f};
    const int stored = ReadTriple(text, parsed);
    float* const targets[3] = {&first, &second, &third};
    for (int i = 0; i < stored; ++i) *targets[i] = parsed[i];
    return stored;
}

bool ParseCount(const char* text, int& count)
{
    // "%d" reads what strtol reads in base 10; strtol also says when the
    // value overflowed, which sscanf leaves undefined.
    CLocaleScope locale;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text) return false;
    if (value > INT_MAX)
        count = INT_MAX;
    else if (value < INT_MIN)
        count = INT_MIN;
    else
        count = static_cast<int>(value);
    return true;
}

int FormatNumberLine(char* buffer, std::size_t capacity, char separator, double first, double second,
                     double third)
{
    if (capacity >= FAST_LINE_CAPACITY) {
        const int length = FormatLineQuickly(buffer, separator, first, second, third);
        if (length > 0) return length;
    }
    CLocaleScope locale;
    const int length =
        std::snprintf(buffer, capacity, "%f%c%f%c%f\n", first, separator, second, separator, third);
    if (length < 0 || static_cast<std::size_t>(length) >= capacity) {
        if (capacity > 0) buffer[0] = '\0';
        return -1;
    }
    return length;
}
