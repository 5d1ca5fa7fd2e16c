// The fast number paths against the C runtime, on generated values: each
// text is read by sscanf and by the engine, each value written by snprintf
// and by the engine, and the results must agree to the bit and to the byte.
// The generators aim at the places where a fast path could go wrong:
// every shape of decimal text, values at and next to rounding ties, the
// smallest and the largest floats.
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "engine/numbers.h"
#include "engine/numbers_fast.h"
#include "support/test_util.h"

namespace {

// A million per run; sanitizer builds run several times slower and take half.
#if defined(__SANITIZE_ADDRESS__)
constexpr int VALUES_PER_RUN = 500000;
#else
constexpr int VALUES_PER_RUN = 1000000;
#endif

bool SameBits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// Texts and values of every kind that reaches the number paths.
class CNumberSource {
public:
    explicit CNumberSource(std::uint32_t seed) : m_random(seed) {}

    int Below(int n) { return static_cast<int>(m_random() % static_cast<std::uint32_t>(n)); }
    std::uint32_t Bits32() { return m_random(); }
    std::uint64_t Bits64() { return (static_cast<std::uint64_t>(m_random()) << 32) | m_random(); }

    std::string Digits(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + Below(10));
        }
        return text;
    }

    // Any float, denormals and the largest included.
    float AnyFloat()
    {
        float value = std::bit_cast<float>(Bits32());
        return std::isfinite(value) ? value : FLT_MAX;
    }

    // A text that "%g" may read: printed floats, plain decimals of every
    // shape, values halfway between two floats, denormals, the overflow edge.
    std::string FloatText()
    {
        switch (Below(8)) {
            case 0:
                return Printed(AnyFloat());
            case 1:
                return DecimalOfAnyShape();
            case 2:
                return Halfway();
            case 3:
                return Printed(std::bit_cast<float>(Bits32() & 0x807FFFFFu));  // denormal
            case 4:
                return Printed(std::nextafter(FLT_MAX, Below(2) ? 0.0f : INFINITY) *
                               (Below(2) ? 1.0f : -1.0f));
            case 5:
                return Fragment();
            default:
                return InstrumentStyle();
        }
    }

    // What may stand before and after a number in a field or a line.
    std::string Around(const std::string& text)
    {
        static const char* const BEFORE[] = {"", "", "", " ", "  ", "\t", " \t\r\n\v\f"};
        static const char* const AFTER[] = {"",   "",  " ", ",",  "\r", "abc", "e",
                                            "E5", ".", "x", "-1", "+",  " 7"};
        return std::string(BEFORE[Below(7)]) + text + AFTER[Below(13)];
    }

    // A double to be written with "%f", of kind `kind` (0 to 7).
    double Value(int kind)
    {
        switch (kind) {
            case 0:
                return std::bit_cast<double>(Bits64());  // every range, inf and nan included
            case 1:
                return AnyFloat();
            case 2:
                return static_cast<double>(AnyFloat()) * -1000.0;
            case 3:
                return NearSixDecimalTie();
            case 4:
                return std::ldexp(static_cast<double>(Below(1 << 20) * 2 + 1),
                                  -(7 + Below(14)));  // exact ties
            case 5:
                return static_cast<double>(std::bit_cast<float>(Bits32() & 0x807FFFFFu));  // denormal float
            case 6:
                return (Below(2) ? 1 : -1) * std::ldexp(1.0, Below(80) - 40) * (1.0 + Below(1000) / 1000.0);
            default:
                return static_cast<double>(
                    static_cast<float>((Below(2) ? 1.0 : -1.0) * Below(100000) / std::pow(10.0, Below(12))));
        }
    }

    static constexpr int VALUE_KINDS = 8;

private:
    std::string Printed(float value)
    {
        char buffer[128];
        const double wide = value;
        switch (Below(4)) {
            case 0:
                std::snprintf(buffer, sizeof buffer, "%.*g", 1 + Below(12), wide);
                break;
            case 1:
                std::snprintf(buffer, sizeof buffer, "%.*e", Below(12), wide);
                break;
            case 2:
                std::snprintf(buffer, sizeof buffer, "%.*f", Below(10), wide);
                break;
            default:
                std::snprintf(buffer, sizeof buffer, "%.9g", wide);
                break;
        }
        return buffer;
    }

    std::string DecimalOfAnyShape()
    {
        static const char* const SIGNS[] = {"", "", "-", "+"};
        static const char* const EXPONENTS[] = {"", "", "e", "E", "e+", "e-", "E-"};
        std::string text = SIGNS[Below(4)] + Digits(Below(12) == 0 ? Below(60) : Below(9));
        if (Below(2)) {
            text += '.' + Digits(Below(12) == 0 ? Below(60) : Below(9));
        }
        const char* exponent = EXPONENTS[Below(7)];
        if (*exponent != '\0') {
            text += exponent + Digits(Below(6) == 0 ? Below(7) : 1 + Below(2));
        }
        return text;
    }

    // The exact decimal halfway between two neighbouring floats, or one digit off it.
    std::string Halfway()
    {
        const float low = std::fabs(AnyFloat());
        const float high = std::nextafter(low, INFINITY);
        const double middle = (static_cast<double>(low) + static_cast<double>(high)) / 2.0;  // exact
        char buffer[1100];
        // 15 to 18 significant digits land within a double's rounding of the
        // midpoint; longer texts reach the exact midpoint itself.
        std::snprintf(buffer, sizeof buffer, "%.*e", Below(2) ? 14 + Below(4) : 8 + Below(100), middle);
        return buffer;
    }

    std::string InstrumentStyle()
    {
        char buffer[64];
        const double value = (Below(2) ? 1.0 : -1.0) * Below(100000) * std::pow(10.0, Below(30) - 20);
        std::snprintf(buffer, sizeof buffer, Below(2) ? "%.4E" : "%.6f", value);
        return buffer;
    }

    std::string Fragment()
    {
        static const char CHARS[] = "0123456789+-.eExXinfaINFAN \t,";
        std::string text;
        for (int n = 1 + Below(8); n > 0; --n) {
            text += CHARS[Below(static_cast<int>(sizeof CHARS) - 1)];
        }
        return text;
    }

    // Values at and next to the boundaries where "%f" rounds the sixth
    // decimal, small ones and ones up to the end of the fast range and past it.
    double NearSixDecimalTie()
    {
        const std::uint64_t range = Below(2) ? 2000000ull : 20000000000000000ull;
        double value = (static_cast<double>(Bits64() % range) + 0.5) / 1e6;
        for (int steps = Below(4); steps > 0; --steps) {
            value = std::nextafter(value, Below(2) ? INFINITY : -INFINITY);
        }
        return Below(2) ? value : -value;
    }

    std::mt19937 m_random;
};

TEST(NumbersFastTest, ParseFloatMatchesSscanfOnAMillionTexts)
{
    CNumberSource source(11);
    for (int i = 0; i < VALUES_PER_RUN; ++i) {
        const std::string text = source.Around(source.FloatText());
        float expected = -7.25f;
        const bool expectedRead = std::sscanf(text.c_str(), "%g", &expected) == 1;
        float got = -7.25f;
        ASSERT_EQ(ParseFloat(text.c_str(), got), expectedRead) << '"' << text << '"';
        ASSERT_TRUE(SameBits(got, expected)) << '"' << text << "\": " << got << " instead of " << expected;
    }
}

TEST(NumbersFastTest, ParseFloatTripleMatchesSscanfOnAMillionLines)
{
    static const char* const SEPARATORS[] = {"  ", " ", "", "\t", ",", " x "};
    CNumberSource source(12);
    for (int i = 0; i < VALUES_PER_RUN; ++i) {
        std::string text;
        for (int n = source.Below(5); n > 0; --n) {
            text += source.FloatText() + SEPARATORS[source.Below(source.Below(4) == 0 ? 6 : 2)];
        }
        text = source.Around(text);
        float expected[3] = {-1.5f, -2.5f, -3.5f};
        int expectedCount = std::sscanf(text.c_str(), "%g %g %g", &expected[0], &expected[1], &expected[2]);
        expectedCount = expectedCount < 0 ? 0 : expectedCount;
        float got[3] = {-1.5f, -2.5f, -3.5f};
        ASSERT_EQ(ParseFloatTriple(text.c_str(), got[0], got[1], got[2]), expectedCount)
            << '"' << text << '"';
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(SameBits(got[k], expected[k])) << '"' << text << "\" value " << k;
        }
    }
}

TEST(NumbersFastTest, FormatNumberLineMatchesSnprintfOnAMillionLines)
{
    CNumberSource source(13);
    char got[1100];
    for (int i = 0; i < VALUES_PER_RUN; ++i) {
        // Mostly lines of one kind, as a file's lines are; some mixed.
        const int kind = source.Below(CNumberSource::VALUE_KINDS);
        const bool mixed = source.Below(4) == 0;
        const double a = source.Value(mixed ? source.Below(CNumberSource::VALUE_KINDS) : kind);
        const double b = source.Value(mixed ? source.Below(CNumberSource::VALUE_KINDS) : kind);
        const double c = source.Value(mixed ? source.Below(CNumberSource::VALUE_KINDS) : kind);
        const char separator = source.Below(2) ? ',' : ' ';
        // glibc's text, also where another C runtime drops the sign of a NaN.
        const std::string expected = testutil::GlibcFixedLine(separator, a, b, c);
        const int expectedLength = static_cast<int>(expected.size());
        if (expectedLength >= static_cast<int>(NUMBER_LINE_CAPACITY)) {
            continue;  // beyond the line capacity: covered by the capacity tests
        }
        ASSERT_EQ(FormatNumberLine(got, NUMBER_LINE_CAPACITY, separator, a, b, c), expectedLength)
            << expected;
        ASSERT_EQ(got, expected);
    }
}

// "%.6e" of `value` as glibc writes it: the sign of a NaN kept, and an
// exponent of two digits where an older Windows C runtime writes three.
std::string GlibcScientific(double value)
{
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    char text[64];
    std::snprintf(text, sizeof text, "%.6e", value);
    std::string result = text;
    const std::size_t e = result.find('e');
    if (e != std::string::npos && result.size() - e == 5 && result[e + 2] == '0') {
        result.erase(e + 2, 1);  // "e+005" -> "e+05"
    }
    return result;
}

// Exact ties at the seventh significant digit: an integer of eight digits
// ending in 5, scaled by a power of two so that it stays exact.
double SeventhDigitTie(CNumberSource& source)
{
    const double digits = (1000000 + source.Below(9000000)) * 10.0 + 5.0;
    return (source.Below(2) ? 1 : -1) * std::ldexp(digits, source.Below(20) - 10);
}

TEST(NumbersFastTest, FormatScientificMatchesSnprintfOnAMillionValues)
{
    CNumberSource source(17);
    char got[64];
    for (int i = 0; i < VALUES_PER_RUN; ++i) {
        const int kind = source.Below(CNumberSource::VALUE_KINDS + 1);
        const double value =
            kind == CNumberSource::VALUE_KINDS ? SeventhDigitTie(source) : source.Value(kind);
        const std::string expected = GlibcScientific(value);
        ASSERT_EQ(FormatScientific(got, sizeof got, value), static_cast<int>(expected.size())) << expected;
        ASSERT_EQ(got, expected);
    }
}

// Where the fast read decides, it decides as sscanf does: the same bits,
// the same end of the number, and no number exactly where sscanf fails.
TEST(NumbersFastTest, ReadPlainFloatAgreesWithSscanfWhereItDecides)
{
    CNumberSource source(14);
    int decided = 0;
    for (int i = 0; i < VALUES_PER_RUN; ++i) {
        const std::string text = source.Around(source.FloatText());
        const char* cursor = text.c_str();
        float got = -7.25f;
        const FastRead read = ReadPlainFloat(cursor, got);
        if (read == FastRead::unsure) {
            continue;
        }
        ++decided;
        float expected = -7.25f;
        int consumed = -1;
        const int matched = std::sscanf(text.c_str(), "%g%n", &expected, &consumed);
        if (read == FastRead::none) {
            ASSERT_NE(matched, 1) << '"' << text << '"';
            continue;
        }
        ASSERT_EQ(matched, 1) << '"' << text << '"';
        ASSERT_TRUE(SameBits(got, expected)) << '"' << text << "\": " << got << " instead of " << expected;
        ASSERT_EQ(cursor - text.c_str(), consumed) << '"' << text << '"';
    }
    EXPECT_GT(decided, VALUES_PER_RUN / 2);  // the generator reaches the fast path
}

TEST(NumbersFastTest, WritePlainFixedAgreesWithSnprintfWhereItWrites)
{
    CNumberSource source(15);
    char expected[400];
    char got[PLAIN_FIXED_MAX + 1];
    int written = 0;
    for (int i = 0; i < VALUES_PER_RUN; ++i) {
        const double value = source.Value(1 + source.Below(CNumberSource::VALUE_KINDS - 1));
        const int length = WritePlainFixed(got, value);
        if (length == 0) {
            continue;
        }
        ++written;
        got[length] = '\0';
        std::snprintf(expected, sizeof expected, "%f", value);
        ASSERT_STREQ(got, expected) << std::hexfloat << value;
    }
    EXPECT_GT(written, VALUES_PER_RUN / 2);
}

// The fast paths must take the shapes data files are made of; otherwise the
// tests above would pass on the C runtime alone and the speed would be lost.
TEST(NumbersFastTest, PlainShapesTakeTheFastPath)
{
    for (const char* text : {"1e+05", "79433", "1258.875", "0.1259", "-42.40625", "5e-04", "-4.012000E-01",
                             "  -1.22840E-04", "+3", ".5", "7.", "0.000E+00", "-0"}) {
        const char* cursor = text;
        float value = 0.0f;
        EXPECT_EQ(ReadPlainFloat(cursor, value), FastRead::number) << text;
        EXPECT_EQ(*cursor, '\0') << text;
    }
    char out[PLAIN_FIXED_MAX];
    for (double value : {0.0, -0.0, 1258.875, static_cast<double>(0.1259f),
                         static_cast<double>(-0.0796f) * -1000.0, 96.984375, 31249.96875, 8999999999.5}) {
        EXPECT_GT(WritePlainFixed(out, value), 0) << value;
    }
}

TEST(NumbersFastTest, UnusualShapesAreLeftToTheCRuntime)
{
    for (const char* text : {"inf", "-nan", "0x1p3", "1e", "1e+", "1.2.3", "1e99999", "1e39", "1e-50", "-",
                             ".", "+.e5", "123456789012345678901234567890123456789012345"}) {
        const char* cursor = text;
        float value = 42.5f;
        EXPECT_EQ(ReadPlainFloat(cursor, value), FastRead::unsure) << text;
        EXPECT_EQ(value, 42.5f) << text;
        EXPECT_EQ(cursor, text) << text;
    }
    for (const char* text : {"", "   ", "abc", ",5", "x1"}) {
        const char* cursor = text;
        float value = 42.5f;
        EXPECT_EQ(ReadPlainFloat(cursor, value), FastRead::none) << text;
    }
    char out[PLAIN_FIXED_MAX];
    for (double value : {1e10, -1e300, HUGE_VAL, std::nan(""), 4e-10, 0.1}) {
        EXPECT_EQ(WritePlainFixed(out, value), 0) << value;
    }
}

}  // namespace
