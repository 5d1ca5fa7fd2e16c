// Fuzz target: number reading and writing against the C runtime itself,
// since the converters' fast paths must give exactly what sscanf and
// snprintf give in the "C" locale.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/numbers.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"

namespace {

using fuzzsupport::Check;

// A value no parse gives, to see which targets a parse left alone.
constexpr float UNTOUCHED = -1234.5f;

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void CheckParse(const std::string& text)
{
    float fast = UNTOUCHED;
    float runtime = UNTOUCHED;
    const bool read = ParseFloat(text.c_str(), fast);
    const bool runtimeRead = std::sscanf(text.c_str(), "%g", &runtime) == 1;
    Check(read == runtimeRead, "\"%g\" read differs on \"" + text + "\"");
    Check(SameBits(fast, runtime), "\"%g\" value differs on \"" + text + "\"");
}

void CheckParseTriple(const std::string& text)
{
    float fast[3] = {UNTOUCHED, UNTOUCHED, UNTOUCHED};
    float runtime[3] = {UNTOUCHED, UNTOUCHED, UNTOUCHED};
    const int stored = ParseFloatTriple(text.c_str(), fast[0], fast[1], fast[2]);
    const int read = std::sscanf(text.c_str(), "%g %g %g", &runtime[0], &runtime[1], &runtime[2]);
    Check(stored == (read < 0 ? 0 : read), "\"%g %g %g\" count differs on \"" + text + "\"");
    for (int i = 0; i < 3; ++i)
        Check(SameBits(fast[i], runtime[i]),
              "\"%g %g %g\" value " + std::to_string(i) + " differs on \"" + text + "\"");
}

// The values a converter passes: 32-bit values widened, the current times
// -1000, the imaginary part times -1.
void CheckFormat(float first, float second, float third)
{
    const double values[3] = {first, static_cast<double>(second) * -1000.0,
                              static_cast<double>(third) * -1.0};
    char fast[NUMBER_LINE_CAPACITY];
    char runtime[NUMBER_LINE_CAPACITY];
    for (char separator : {',', ' '}) {
        const int length = FormatNumberLine(fast, sizeof fast, separator, values[0], values[1], values[2]);
        const int runtimeLength = std::snprintf(runtime, sizeof runtime, "%f%c%f%c%f\n", values[0], separator,
                                                values[1], separator, values[2]);
        Check(length == runtimeLength && std::strcmp(fast, runtime) == 0,
              std::string("\"%f\" line differs: ") + fast + " against " + runtime);
    }
}

}  // namespace

int FuzzNumbers(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckParse(text);
    CheckParseTriple(text);
    float parsed[3] = {0.0f, 0.0f, 0.0f};
    ParseFloatTriple(text.c_str(), parsed[0], parsed[1], parsed[2]);
    CheckFormat(parsed[0], parsed[1], parsed[2]);
    if (size >= 3 * sizeof(float)) {
        float raw[3];
        std::memcpy(raw, data, sizeof raw);
        CheckFormat(raw[0], raw[1], raw[2]);
    }
    return 0;
}

QUILLMERE_FUZZ_ENTRY(FuzzNumbers);
