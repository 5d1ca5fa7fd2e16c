// The surface-area text turned into the area setting and its echo.
#include "batch/area.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "engine/numbers.h"
#include "engine/settings.h"

namespace {

// Smallest magnitude that rounds to infinity in single precision: halfway
// between FLT_MAX and 2^128, where round-to-nearest-even goes up.
constexpr double FLOAT_OVERFLOW_START = 0x1.ffffffp127;

// Rounds to single precision as the hardware does, with values beyond the
// float range becoming an infinity of their sign (a plain cast of those is
// undefined in C++).
float RoundToFloat(double value)
{
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
        const float limit = std::fabs(value) >= FLOAT_OVERFLOW_START ? HUGE_VALF : FLT_MAX;
        return value > 0 ? limit : -limit;
    }
    return static_cast<float>(value);
}

// The first 99 characters of `text` read as a number, as the area box reads
// them. Read by the converters' own number code rather than the C runtime's
// atof: runtimes differ in the words they read ("inf", "nan", "0x...").
double ReadAreaText(const char* text)
{
    // The area box hands over at most 99 characters and a terminating zero.
    char buffer[AREA_TEXT_MAX + 1] = {};
    if (text != nullptr) {
        std::memcpy(buffer, text, strnlen(text, AREA_TEXT_MAX));
    }
    return ParseDouble(buffer);
}

}  // namespace

float AreaOfText(const char* text)
{
    return RoundToFloat(ReadAreaText(text));
}

CString ApplyAreaText(const char* text)
{
    // Written by the converters' own number code rather than "%f": runtimes
    // differ in how they spell a NaN.
    const double value = ReadAreaText(text);
    g_surfaceArea = RoundToFloat(value);

    char number[NUMBER_LINE_CAPACITY];
    FormatFixed(number, sizeof number, value);
    CString echo("Area=");
    echo += number;
    g_areaEnabled = 1;
    return echo;
}
