// The fast number paths. Reading: one exact double operation where that
// rounds like the C runtime's strtof behind "%g", std::from_chars (correctly
// rounded for any length) otherwise. Writing: integer arithmetic on the
// exact count of millionths.
#include "engine/numbers_fast.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace {

// Longer digit strings go to the C runtime: real data never has them.
constexpr int MAX_MANTISSA_DIGITS = 40;
constexpr int MAX_EXPONENT_DIGITS = 4;

// Digits of a decimal significand that a 64-bit integer always holds
// (leading zeros count: a longer text takes the slower exact path).
constexpr int MAX_SIGNIFICAND_DIGITS = 19;
// A significand up to 2^53 and a power of ten up to 1e22 are exact doubles,
// so their product or quotient is the correctly rounded double of the text.
constexpr std::uint64_t MAX_EXACT_SIGNIFICAND = std::uint64_t{1} << 53;
constexpr int MAX_EXACT_POWER = 22;
constexpr double POWERS_OF_TEN[MAX_EXACT_POWER + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// Bits of a double's significand that a float drops, and the pattern of a
// double lying exactly halfway between two floats.
constexpr int DROPPED_BITS = 52 - 23;
constexpr std::uint64_t DROPPED_MASK = (std::uint64_t{1} << DROPPED_BITS) - 1;
constexpr std::uint64_t HALFWAY_PATTERN = std::uint64_t{1} << (DROPPED_BITS - 1);

// "%f" keeps six decimals: values are written as an integer count of millionths.
constexpr double MILLIONTHS = 1e6;
constexpr std::uint64_t MILLION = 1000000;
// Below this magnitude the count of millionths is an integer that a double holds exactly.
constexpr double FAST_FIXED_LIMIT = 0x1p53 / MILLIONTHS;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Characters that may begin some number the C runtime reads (a sign, a
// digit, a point, "inf", "nan"); anything else means no number at all.
bool MayBeginNumber(char c)
{
    return IsDigit(c) || c == '+' || c == '-' || c == '.' || c == 'i' || c == 'I' || c == 'n' || c == 'N';
}

const char* SkipDigits(const char* p)
{
    while (IsDigit(*p)) {
        ++p;
    }
    return p;
}

// The digits of a plain number, as an integer significand and a power of ten.
struct Decimal {
    std::uint64_t significand = 0;  // meaningful only up to MAX_SIGNIFICAND_DIGITS digits
    int digits = 0;                 // before and after the point, leading zeros included
    int exponent = 0;               // of ten
};

// Reads the digits and the point of a number's significand from `p` into
// `decimal` in one pass; returns the end of them.
const char* TakeSignificand(const char* p, Decimal& decimal)
{
    const char* start = p;
    const char* point = nullptr;
    for (;; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
        if (digit < 10) {
            decimal.significand = decimal.significand * 10 + digit;
        } else if (*p == '.' && point == nullptr) {
            point = p;
        } else {
            break;
        }
    }
    decimal.digits = static_cast<int>(p - start) - (point != nullptr ? 1 : 0);
    decimal.exponent = point != nullptr ? -static_cast<int>(p - point - 1) : 0;
    return p;
}

// Reads the exponent's optional sign and digits (at most four, checked by the caller).
void TakeExponent(const char* p, const char* end, Decimal& decimal)
{
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    int value = 0;
    for (; p < end; ++p) {
        value = value * 10 + (*p - '0');
    }
    decimal.exponent += negative ? -value : value;
}

bool IsHalfwayBetweenFloats(double value)
{
    return (std::bit_cast<std::uint64_t>(value) & DROPPED_MASK) == HALFWAY_PATTERN;
}

// The float nearest to `decimal`, by one exact double operation, when that
// is certain to give the same float as rounding the decimal directly: the
// double must not lie exactly halfway between two floats (where a second
// rounding could go the other way), and must be a normal float or zero.
bool QuickFloat(const Decimal& decimal, float& magnitude)
{
    if (decimal.digits > MAX_SIGNIFICAND_DIGITS || decimal.significand > MAX_EXACT_SIGNIFICAND ||
        decimal.exponent < -MAX_EXACT_POWER || decimal.exponent > MAX_EXACT_POWER) {
        return false;
    }
    const double significand = static_cast<double>(decimal.significand);
    const double value = decimal.exponent < 0 ? significand / POWERS_OF_TEN[-decimal.exponent]
                                              : significand * POWERS_OF_TEN[decimal.exponent];
    if (value == 0.0) {
        magnitude = 0.0f;
        return true;
    }
    if (value < FLT_MIN || value > FLT_MAX || IsHalfwayBetweenFloats(value)) {
        return false;
    }
    magnitude = static_cast<float>(value);
    return true;
}

// After a complete plain number these would make the C runtime read on
// (a second point, an exponent without digits, a hexadecimal prefix).
bool ContinuesNumber(char c)
{
    return c == '.' || c == 'e' || c == 'E' || c == 'x' || c == 'X' || IsDigit(c);
}

// Whether `magnitude` times a million is an exact double: 1e6 is 2^6 times
// 15625, so the odd part of the significand times 15625 must fit 53 bits.
bool ScalesExactly(double magnitude)
{
    constexpr int SIGNIFICAND_BITS = 52;
    constexpr std::uint64_t FRACTION_MASK = (std::uint64_t{1} << SIGNIFICAND_BITS) - 1;
    constexpr std::uint64_t MAX_ODD_PART = ((std::uint64_t{1} << 53) - 1) / 15625;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
    std::uint64_t significand = bits & FRACTION_MASK;
    if ((bits >> SIGNIFICAND_BITS) != 0) {
        significand |= std::uint64_t{1} << SIGNIFICAND_BITS;  // a normal number's leading bit
    }
    return significand == 0 || (significand >> std::countr_zero(significand)) <= MAX_ODD_PART;
}

// "00" to "99": two digits per division.
constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void PutPair(char* out, unsigned pair)
{
    std::memcpy(out, DIGIT_PAIRS + 2 * pair, 2);
}

// Decimal digits of `value`, at least one.
int DigitCount(std::uint64_t value)
{
    int count = 1;
    for (; value >= 10; value /= 10) {
        ++count;
    }
    return count;
}

// Writes `value` in decimal without leading zeros; returns the end.
char* PutWhole(char* out, std::uint64_t value)
{
    if (value < 10) {
        *out = static_cast<char>('0' + value);
        return out + 1;
    }
    char* const end = out + DigitCount(value);
    char* p = end;
    for (; value >= 100; value /= 100) {
        p -= 2;
        PutPair(p, static_cast<unsigned>(value % 100));
    }
    if (value >= 10) {
        PutPair(p - 2, static_cast<unsigned>(value));
    } else {
        p[-1] = static_cast<char>('0' + value);
    }
    return end;
}

// Writes exactly six digits, zero-padded.
char* PutSixDigits(char* out, unsigned value)
{
    PutPair(out, value / 10000);
    PutPair(out + 2, value / 100 % 100);
    PutPair(out + 4, value % 100);
    return out + 6;
}

}  // namespace

FastRead ReadPlainFloat(const char*& cursor, float& value)
{
    const char* p = cursor;
    while (IsCSpace(*p)) {
        ++p;
    }
    if (!MayBeginNumber(*p)) {
        return FastRead::none;
    }
    const char* number = p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    Decimal decimal;
    const char* end = TakeSignificand(p, decimal);
    if (decimal.digits == 0 || decimal.digits > MAX_MANTISSA_DIGITS) {
        return FastRead::unsure;
    }
    if (*end == 'e' || *end == 'E') {
        const char* exponent = end + 1;
        const char* exponentDigits = exponent + (*exponent == '+' || *exponent == '-' ? 1 : 0);
        const char* exponentEnd = SkipDigits(exponentDigits);
        const int count = static_cast<int>(exponentEnd - exponentDigits);
        if (count == 0 || count > MAX_EXPONENT_DIGITS) {
            return FastRead::unsure;
        }
        TakeExponent(exponent, exponentEnd, decimal);
        end = exponentEnd;
    }
    if (ContinuesNumber(*end)) {
        return FastRead::unsure;
    }
    float magnitude = 0.0f;
    if (QuickFloat(decimal, magnitude)) {
        value = negative ? -magnitude : magnitude;
        cursor = end;
        return FastRead::number;
    }
    // from_chars rounds any length correctly; it takes no plus sign.
    const char* first = *number == '+' ? number + 1 : number;
    float parsed = 0.0f;
    const std::from_chars_result result = std::from_chars(first, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) {
        return FastRead::unsure;  // overflow and underflow: the C runtime decides
    }
    value = parsed;
    cursor = end;
    return FastRead::number;
}

int WritePlainFixed(char* out, double value)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude < FAST_FIXED_LIMIT)) {
        return 0;  // large, infinite or not a number
    }
    // The count of millionths must come out exact: then rounding it to an
    // integer (half to even, as the C runtime rounds) is exact too.
    if (!ScalesExactly(magnitude)) {
        return 0;
    }
    const double scaled = magnitude * MILLIONTHS;
    std::uint64_t units = static_cast<std::uint64_t>(scaled);
    const double rest = scaled - static_cast<double>(units);
    if (rest > 0.5 || (rest == 0.5 && (units & 1) != 0)) {
        ++units;
    }
    char* p = out;
    if (std::signbit(value)) {
        *p++ = '-';
    }
    p = PutWhole(p, units / MILLION);
    *p++ = '.';
    p = PutSixDigits(p, static_cast<unsigned>(units % MILLION));
    return static_cast<int>(p - out);
}
