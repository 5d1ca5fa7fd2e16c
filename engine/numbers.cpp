// Number reading and writing: the exact fast paths for the plain shapes of
// data files, the C runtime pinned to the "C" locale for everything else.
#include "engine/numbers.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "engine/numbers_fast.h"
#include "platform/locale_scope.h"

namespace {

// Room for a line of the fast path: three numbers, two separators, the line feed and the zero.
constexpr std::size_t FAST_LINE_CAPACITY = 3 * PLAIN_FIXED_MAX + 4;

// "%.6e": six decimals after the one leading digit. The widest text is
// "-1.797693e+308" (14 characters); a little room to spare.
constexpr int SCIENTIFIC_DECIMALS = 6;
constexpr std::size_t SCIENTIFIC_MAX = 32;

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A hexadecimal number whose significand has no digit at all, which C
// runtimes read differently: glibc takes "0xp1" for no number and "0x.p1"
// for a zero that ends at its point, where others read on into the exponent.
enum class EmptyHex { no, noNumber, zeroToPoint };

EmptyHex FindEmptyHex(const char* p, const char*& end, bool& negative)
{
    negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (p[0] != '0' || (p[1] != 'x' && p[1] != 'X')) {
        return EmptyHex::no;
    }
    const char* q = p + 2;
    const bool point = *q == '.';
    if (point) {
        ++q;
    }
    if (*q != 'p' && *q != 'P') {
        return EmptyHex::no;
    }
    end = q;
    return point ? EmptyHex::zeroToPoint : EmptyHex::noNumber;
}

// One "%g" at `cursor` as glibc reads it, through the C runtime; moves the
// cursor past the number and returns false when there is none.
bool ReadOneSlowly(const char*& cursor, float& value)
{
    const char* p = cursor;
    while (IsCSpace(*p)) {
        ++p;
    }
    const char* end = nullptr;
    bool negative = false;
    switch (FindEmptyHex(p, end, negative)) {
        case EmptyHex::noNumber:
            return false;
        case EmptyHex::zeroToPoint:
            value = negative ? -0.0f : 0.0f;
            cursor = end;
            return true;
        case EmptyHex::no:
            break;
    }
    CLocaleScope locale;
    float parsed = 0.0f;
    int used = 0;
    if (std::sscanf(p, "%g%n", &parsed, &used) != 1) {
        return false;
    }
    value = parsed;
    cursor = p + used;
    return true;
}

// "%g %g %g" one number at a time: each "%g" skips the white space before
// it, as the spaces of that format do.
int ReadTripleSlowly(const char* text, float (&parsed)[3])
{
    const char* cursor = text;
    for (int stored = 0; stored < 3; ++stored) {
        if (!ReadOneSlowly(cursor, parsed[stored])) {
            return stored;
        }
    }
    return 3;
}

// How "%f" spells the values without digits. glibc keeps the sign of a
// NaN, which other C runtimes drop; the spelling is made here, so a NaN
// reads the same on every system.
const char* SpellingWithoutDigits(double value)
{
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    return nullptr;
}

// Copies `text` of `length` characters and a zero into `buffer`; -1 when it does not fit.
int PutText(char* buffer, std::size_t capacity, const char* text, std::size_t length)
{
    if (length >= capacity) {
        if (capacity > 0) {
            buffer[0] = '\0';
        }
        return -1;
    }
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
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
        if (length == 0) {
            return 0;
        }
        p += length;
        *p++ = i < 2 ? separator : '\n';
    }
    *p = '\0';
    return static_cast<int>(p - buffer);
}

// Writes the three values one after the other with `format`, each followed
// by the separator or, after the last, the line feed.
int FormatEach(char* buffer, std::size_t capacity, char separator, double first, double second, double third,
               int (*format)(char*, std::size_t, double))
{
    const double values[3] = {first, second, third};
    std::size_t used = 0;
    for (int i = 0; i < 3; ++i) {
        const int length = format(buffer + used, capacity - used, values[i]);
        // Room must stay for the separator (or line feed) and the zero.
        if (length < 0 || used + static_cast<std::size_t>(length) + 2 > capacity) {
            if (capacity > 0) {
                buffer[0] = '\0';
            }
            return -1;
        }
        used += static_cast<std::size_t>(length);
        buffer[used++] = i < 2 ? separator : '\n';
    }
    buffer[used] = '\0';
    return static_cast<int>(used);
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
    return ReadOneSlowly(cursor, value);
}

int ParseFloatTriple(const char* text, float& first, float& second, float& third)
{
    float parsed[3] = {0.0f, 0.0f, 0.0f};
    const int stored = ReadTriple(text, parsed);
    float* const targets[3] = {&first, &second, &third};
    for (int i = 0; i < stored; ++i) {
        *targets[i] = parsed[i];
    }
    return stored;
}

bool ParseCount(const char* text, int& count)
{
    // "%d" reads what strtol reads in base 10; strtol also says when the
    // value overflowed, which sscanf leaves undefined.
    CLocaleScope locale;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text) {
        return false;
    }
    if (value > INT_MAX)
        count = INT_MAX;
    else if (value < INT_MIN)
        count = INT_MIN;
    else
        count = static_cast<int>(value);
    return true;
}

int FormatFixed(char* buffer, std::size_t capacity, double value)
{
    char quick[PLAIN_FIXED_MAX + 1];
    const int length = WritePlainFixed(quick, value);
    if (length > 0) {
        return PutText(buffer, capacity, quick, static_cast<std::size_t>(length));
    }
    if (const char* spelling = SpellingWithoutDigits(value)) {
        return PutText(buffer, capacity, spelling, std::strlen(spelling));
    }
    CLocaleScope locale;
    const int written = std::snprintf(buffer, capacity, "%f", value);
    if (written < 0 || static_cast<std::size_t>(written) >= capacity) {
        if (capacity > 0) {
            buffer[0] = '\0';
        }
        return -1;
    }
    return written;
}

int FormatNumberLine(char* buffer, std::size_t capacity, char separator, double first, double second,
                     double third)
{
    if (capacity >= FAST_LINE_CAPACITY) {
        const int length = FormatLineQuickly(buffer, separator, first, second, third);
        if (length > 0) {
            return length;
        }
    }
    return FormatEach(buffer, capacity, separator, first, second, third, FormatFixed);
}

int FormatScientific(char* buffer, std::size_t capacity, double value)
{
    if (const char* spelling = SpellingWithoutDigits(value)) {
        return PutText(buffer, capacity, spelling, std::strlen(spelling));
    }
    // to_chars writes what printf's "%.6e" writes in the "C" locale, with
    // the same exact rounding, but the same way on every system: the C
    // runtimes of Windows once wrote three exponent digits.
    char text[SCIENTIFIC_MAX];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, SCIENTIFIC_DECIMALS);
    if (result.ec != std::errc()) {  // cannot happen: there is room for the widest
        if (capacity > 0) {
            buffer[0] = '\0';
        }
        return -1;
    }
    return PutText(buffer, capacity, text, static_cast<std::size_t>(result.ptr - text));
}

int FormatNumberLine(char* buffer, std::size_t capacity, char separator, NumberForm form, double first,
                     double second, double third)
{
    if (form == NumberForm::fixed) {
        return FormatNumberLine(buffer, capacity, separator, first, second, third);
    }
    return FormatEach(buffer, capacity, separator, first, second, third, FormatScientific);
}

double ParseDouble(const char* text)
{
    const char* end = text;
    return ParseDouble(text, end);
}

double ParseDouble(const char* text, const char*& end)
{
    end = text;
    const char* p = text;
    while (IsCSpace(*p)) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (*p == '-' || *p == '+') {
        return 0.0;  // a second sign: no number (from_chars would take a minus)
    }
    const char* last = p + std::strlen(p);
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
                     (IsHexDigit(p[2]) || (p[2] == '.' && IsHexDigit(p[3])));
    double magnitude = 0.0;
    // from_chars rounds correctly, reads "inf" and "nan" as strtod does, and
    // follows no locale; the sign and the "0x" prefix are read here.
    const std::from_chars_result result =
        hex ? std::from_chars(p + 2, last, magnitude, std::chars_format::hex)
            : std::from_chars(p, last, magnitude);
    if (result.ec == std::errc::invalid_argument) {
        return 0.0;  // no number: strtod gives a plain zero
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: the C runtimes agree on the infinity
        // or the zero (or denormal) that strtod gives.
        CLocaleScope locale;
        char* stop = nullptr;
        const double value = std::strtod(text, &stop);
        end = stop;
        return value;
    }
    end = result.ptr;
    return negative ? -magnitude : magnitude;
}
