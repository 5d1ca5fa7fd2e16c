// Number reading and writing through the C runtime, pinned to the "C" locale.
#include "engine/numbers.h"

#include <locale.h>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

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

}  // namespace

bool ParseFloat(const char* text, float& value)
{
    CLocaleScope locale;
    float parsed = 0.0f;
    if (std::sscanf(text, "%g", &parsed) != 1) return false;
    value = parsed;
    return true;
}

int ParseFloatTriple(const char* text, float& first, float& second, float& third)
{
    CLocaleScope locale;
    float parsed[3] = {0.0f, 0.0f, 0.0f};
    const int read = std::sscanf(text, "%g %g %g", &parsed[0], &parsed[1], &parsed[2]);
    // sscanf gives EOF when the text ends before the first number.
    const int stored = read < 0 ? 0 : read;
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
    CLocaleScope locale;
    const int length =
        std::snprintf(buffer, capacity, "%f%c%f%c%f\n", first, separator, second, separator, third);
    if (length < 0 || static_cast<std::size_t>(length) >= capacity) {
        if (capacity > 0) buffer[0] = '\0';
        return -1;
    }
    return length;
}
