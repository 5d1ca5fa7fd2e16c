#include "engine/numbers.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "support/test_util.h"

namespace {

// The C runtime is the reference: every generated text is read by sscanf
// and by the function under test, and the results must agree to the bit.

constexpr int GENERATED = 20000;

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class TextGenerator {
public:
    explicit TextGenerator(unsigned seed) : m_random(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    std::string Pick(std::initializer_list<const char*> choices)
    {
        return *(choices.begin() + Below(static_cast<int>(choices.size())));
    }

    std::string Digits(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i) text += static_cast<char>('0' + Below(10));
        return text;
    }

    // A float in one of the ways instruments and people write them.
    std::string FloatText()
    {
        char buffer[128];
        switch (Below(5)) {
            case 0: {  // any finite single-precision value, shortest and long forms
                uint32_t bits = static_cast<uint32_t>(m_random());
                float value;
                std::memcpy(&value, &bits, sizeof value);
                if (!std::isfinite(value)) value = 1.0f;
                std::snprintf(buffer, sizeof buffer, "%.*g", 1 + Below(12), static_cast<double>(value));
                return buffer;
            }
            case 1:  // instrument style: 1.23456E+02
                std::snprintf(buffer, sizeof buffer, "%.5E",
                              std::uniform_real_distribution<double>(-1e4, 1e4)(m_random) *
                                  std::pow(10.0, Below(30) - 15));
                return buffer;
            case 2:
                std::snprintf(buffer, sizeof buffer, "%.*f", Below(9),
                              std::uniform_real_distribution<double>(-1e6, 1e6)(m_random));
                return buffer;
            case 3:  // long digit strings, halfway cases and exponents past the float range
                return Pick({"", "-", "+"}) + Digits(Below(30)) + Pick({"", "."}) + Digits(Below(30)) +
                       Pick({"", "e", "E", "e+", "e-"}) + Digits(Below(4));
            default:  // fragments and garbage made of number characters
                std::string text;
                for (int n = Below(10); n > 0; --n) text += "0123456789+-.eE x,\t"[Below(19)];
                return text;
        }
    }

    std::string Around(const std::string& text)
    {
        return Pick({"", " ", "  ", "\t", " \t "}) + text + Pick({"", " ", ",", "abc", "e", ".", " 7", "\t"});
    }

private:
    std::mt19937 m_random;
};

TEST(ParseFloatTest, MatchesSscanfOnGeneratedTexts)
{
    TextGenerator generate(1);
    for (int i = 0; i < GENERATED; ++i) {
        const std::string text = generate.Around(generate.FloatText());
        float expected = -7.25f;
        const bool expectedRead = std::sscanf(text.c_str(), "%g", &expected) == 1;
        float got = -7.25f;
        ASSERT_EQ(ParseFloat(text.c_str(), got), expectedRead) << '"' << text << '"';
        ASSERT_TRUE(SameBits(got, expected)) << '"' << text << "\": " << got << " vs " << expected;
    }
}

TEST(ParseFloatTest, KeepsTheValueWhenNothingParses)
{
    for (const char* text : {"", "   ", "abc", "-", ".", "+.e5", ",5", "\t"}) {
        float value = 42.5f;
        EXPECT_FALSE(ParseFloat(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 42.5f) << '"' << text << '"';
    }
}

TEST(ParseFloatTest, ReadsTheLongestNumberPrefixAsSinglePrecision)
{
    struct Case {
        const char* text;
        float value;
    } const cases[] = {{"1.5e3", 1500.0f}, {"12abc", 12.0f}, {" -0.25,", -0.25f}, {"1234.5678", 1234.5678f}};
    for (const Case& c : cases) {
        float value = 0.0f;
        EXPECT_TRUE(ParseFloat(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(ParseFloatTripleTest, MatchesSscanfOnGeneratedLines)
{
    TextGenerator generate(2);
    for (int i = 0; i < GENERATED; ++i) {
        std::string text;
        for (int n = generate.Below(5); n > 0; --n)
            text += generate.FloatText() + generate.Pick({" ", "", "  ", "\t", ",", " , "});
        text = generate.Around(text);
        float e[3] = {-1.5f, -2.5f, -3.5f};
        int expectedCount = std::sscanf(text.c_str(), "%g %g %g", &e[0], &e[1], &e[2]);
        if (expectedCount < 0) expectedCount = 0;
        float g[3] = {-1.5f, -2.5f, -3.5f};
        ASSERT_EQ(ParseFloatTriple(text.c_str(), g[0], g[1], g[2]), expectedCount) << '"' << text << '"';
        for (int k = 0; k < 3; ++k) ASSERT_TRUE(SameBits(g[k], e[k])) << '"' << text << "\" value " << k;
    }
}

TEST(ParseFloatTripleTest, StopsAtTheFirstNumberThatCannotBeRead)
{
    struct Case {
        const char* name;
        const char* text;
        int count;
        float values[3];  // what the three held values become from 9, 9, 9
    } const cases[] = {
        {"three numbers", "1 2 3", 3, {1, 2, 3}},
        {"five numbers use three", "1 2 3 4 5", 3, {1, 2, 3}},
        {"two numbers keep the third", "1 2", 2, {1, 2, 9}},
        {"signs separate numbers", "1-2-3", 3, {1, -2, -3}},
        {"comma ends the parse", "1,2,3", 1, {1, 9, 9}},
        {"tab is white space", "1\t2\t\t3", 3, {1, 2, 3}},
        {"garbage in the middle", "1 x 3", 1, {1, 9, 9}},
        {"empty line", "", 0, {9, 9, 9}},
        {"blank line", "   ", 0, {9, 9, 9}},
        {"text line", "abc", 0, {9, 9, 9}},
    };
    for (const Case& c : cases) {
        float v[3] = {9, 9, 9};
        EXPECT_EQ(ParseFloatTriple(c.text, v[0], v[1], v[2]), c.count) << c.name;
        for (int k = 0; k < 3; ++k) EXPECT_EQ(v[k], c.values[k]) << c.name << " value " << k;
    }
}

TEST(ParseCountTest, MatchesSscanfOnGeneratedInRangeTexts)
{
    TextGenerator generate(3);
    std::uniform_int_distribution<int> anyInt(INT_MIN, INT_MAX);
    std::mt19937 random(4);
    for (int i = 0; i < GENERATED; ++i) {
        std::string text;
        if (generate.Below(4) == 0) {
            for (int n = generate.Below(10); n > 0; --n) text += "0123456789+- x.\t"[generate.Below(16)];
        } else {
            const int value = generate.Below(3) == 0 ? generate.Below(2000) - 1000 : anyInt(random);
            text = (value < 0 ? "-" : generate.Pick({"", "+"})) + std::string(generate.Below(3), '0') +
                   std::to_string(value < 0 ? -static_cast<long long>(value) : value);
        }
        text = generate.Around(text);
        // sscanf leaves out-of-range values undefined: compare in range only.
        const long long wide = std::strtoll(text.c_str(), nullptr, 10);
        if (wide < INT_MIN || wide > INT_MAX) continue;
        int expected = -99;
        const bool expectedRead = std::sscanf(text.c_str(), "%d", &expected) == 1;
        int got = -99;
        ASSERT_EQ(ParseCount(text.c_str(), got), expectedRead) << '"' << text << '"';
        ASSERT_EQ(got, expected) << '"' << text << '"';
    }
}

TEST(ParseCountTest, ReadsTheLeadingInteger)
{
    struct Case {
        const char* text;
        bool read;
        int count;  // from -99
    } const cases[] = {
        {"3 points", true, 3}, {"2.9", true, 2}, {"-4", true, -4},    {"abc", false, -99},
        {"  +7x", true, 7},    {"", false, -99}, {"- 5", false, -99}, {"18   ", true, 18},
        {"0", true, 0},        {"007", true, 7}, {"\t12", true, 12},  {"0x1A", true, 0},
    };
    for (const Case& c : cases) {
        int count = -99;
        EXPECT_EQ(ParseCount(c.text, count), c.read) << '"' << c.text << '"';
        EXPECT_EQ(count, c.count) << '"' << c.text << '"';
    }
}

TEST(ParseCountTest, ClampsValuesBeyondTheRangeOfInt)
{
    struct Case {
        const char* text;
        int count;
    } const cases[] = {
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"99999999999 points", INT_MAX},
        {"-99999999999", INT_MIN},
        {"123456789012345678901234567890", INT_MAX},
        {"-123456789012345678901234567890", INT_MIN},
    };
    for (const Case& c : cases) {
        int count = 0;
        EXPECT_TRUE(ParseCount(c.text, count)) << c.text;
        EXPECT_EQ(count, c.count) << c.text;
    }
}

double RandomDouble(std::mt19937& random)
{
    std::uniform_int_distribution<int> pick(0, 3);
    switch (pick(random)) {
        case 0: {  // a float read from a file, widened
            uint32_t bits = static_cast<uint32_t>(random());
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return static_cast<double>(value);
        }
        case 1: {  // any double at all, infinities and NaN included
            uint64_t bits = (static_cast<uint64_t>(random()) << 32) | random();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case 2:  // near the six-decimal rounding edge
            return (std::uniform_int_distribution<int>(-2000000, 2000000)(random) + 0.5) * 1e-6;
        default:
            return std::uniform_real_distribution<double>(-1e5, 1e5)(random) * -1000.0;
    }
}

TEST(FormatNumberLineTest, MatchesSnprintfOnGeneratedValues)
{
    std::mt19937 random(5);
    for (int i = 0; i < GENERATED; ++i) {
        const double a = RandomDouble(random), b = RandomDouble(random), c = RandomDouble(random);
        for (char separator : {',', ' '}) {
            const std::string expected = testutil::GlibcFixedLine(separator, a, b, c);
            char got[NUMBER_LINE_CAPACITY];
            ASSERT_EQ(FormatNumberLine(got, sizeof got, separator, a, b, c),
                      static_cast<int>(expected.size()));
            ASSERT_EQ(got, expected);
        }
    }
}

TEST(FormatNumberLineTest, NanKeepsItsSignOnEverySystem)
{
    // glibc writes the sign of a NaN, other C runtimes drop it; the
    // converters write glibc's text everywhere.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    char text[NUMBER_LINE_CAPACITY];
    EXPECT_EQ(FormatNumberLine(text, sizeof text, ',', -nan, nan, -inf), 14);
    EXPECT_STREQ(text, "-nan,nan,-inf\n");
    EXPECT_EQ(FormatNumberLine(text, sizeof text, ' ', inf, 1.0, std::copysign(nan, -1.0)), 18);
    EXPECT_STREQ(text, "inf 1.000000 -nan\n");
#ifndef _WIN32
    // The reference the tests compare with is glibc's own text.
    for (double value : {-nan, nan, -inf, inf, 0.5}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%f,%f,%f\n", value, -value, value);
        EXPECT_EQ(testutil::GlibcFixedLine(',', value, -value, value), expected);
    }
#endif
}

TEST(FormatNumberLineTest, WritesSixDecimalsAndKeepsTheSignOfZero)
{
    struct Case {
        double a, b, c;
        const char* comma;
    } const cases[] = {
        {0.5, -4.0, 10.0, "0.500000,-4.000000,10.000000\n"},
        {0.0, -0.0, 4e-10 * -1000.0, "0.000000,-0.000000,-0.000000\n"},
        {-4e-10 * -1000.0, 1234.5678f, 0.0000005, "0.000000,1234.567749,0.000000\n"},
        {1e20, -1.0000005, 0.0000015, "100000000000000000000.000000,-1.000001,0.000002\n"},
    };
    for (const Case& c : cases) {
        char text[NUMBER_LINE_CAPACITY];
        const int length = FormatNumberLine(text, sizeof text, ',', c.a, c.b, c.c);
        EXPECT_STREQ(text, c.comma);
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.comma)));
    }
}

TEST(FormatNumberLineTest, CapacityFitsTheWidestDoublesAndSmallBuffersFailCleanly)
{
    const double widest = -std::numeric_limits<double>::max();
    char text[NUMBER_LINE_CAPACITY];
    const int length = FormatNumberLine(text, sizeof text, ',', widest, widest, widest);
    ASSERT_GT(length, 900);
    EXPECT_EQ(static_cast<size_t>(length), std::strlen(text));

    char small[10] = "garbage";
    EXPECT_EQ(FormatNumberLine(small, sizeof small, ',', 1.0, 2.0, 3.0), -1);
    EXPECT_STREQ(small, "");
}

TEST(FormatScientificTest, WritesSevenDigitsAndTwoExponentDigitsAtLeast)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {1e-10, "1.000000e-10"},
        {static_cast<double>(-6.50296e-10f) * -1000.0, "6.502960e-07"},
        {0.0, "0.000000e+00"},
        {-0.0, "-0.000000e+00"},
        {1234.5678f, "1.234568e+03"},
        {12345675.0, "1.234568e+07"},  // an exact tie goes to the even digit
        {12345665.0, "1.234566e+07"},
        {1e100, "1.000000e+100"},
        {5e-324, "4.940656e-324"},
        {-std::numeric_limits<double>::max(), "-1.797693e+308"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-nan, "-nan"},
    };
    for (const auto& c : cases) {
        char text[32];
        EXPECT_EQ(FormatScientific(text, sizeof text, c.value), static_cast<int>(std::strlen(c.text)))
            << c.text;
        EXPECT_STREQ(text, c.text);
    }
    char small[8] = "garbage";
    EXPECT_EQ(FormatScientific(small, sizeof small, 1.0), -1);
    EXPECT_STREQ(small, "");
}

TEST(FormatNumberLineTest, ScientificFormKeepsTheSeparatorsAndTheLineFeed)
{
    char text[NUMBER_LINE_CAPACITY];
    EXPECT_EQ(FormatNumberLine(text, sizeof text, ',', NumberForm::scientific, 0.5, -4e-10, 10.0), 40);
    EXPECT_STREQ(text, "5.000000e-01,-4.000000e-10,1.000000e+01\n");
    EXPECT_EQ(FormatNumberLine(text, sizeof text, ' ', NumberForm::fixed, 0.5, -4e-10, 10.0), 29);
    EXPECT_STREQ(text, "0.500000 -0.000000 10.000000\n");
    char small[30];
    EXPECT_EQ(FormatNumberLine(small, sizeof small, ' ', NumberForm::scientific, 1.0, 2.0, 3.0), -1);
    EXPECT_STREQ(small, "");
}

// A locale with a decimal comma, or empty when the system has none.
const char* CommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) return name;
    }
    return nullptr;
}

TEST(NumbersLocaleTest, DecimalPointStaysAPointWhateverTheProcessLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = CommaLocale();
    if (comma == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
    float value = 0.0f;
    EXPECT_TRUE(ParseFloat("1.5", value));
    float a = 0, b = 0, c = 0;
    EXPECT_EQ(ParseFloatTriple("1.5 2,5 3", a, b, c), 2);
    char text[NUMBER_LINE_CAPACITY];
    FormatNumberLine(text, sizeof text, ' ', 1.5, 2.0, 3.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(value, 1.5f) << comma;
    EXPECT_EQ(b, 2.0f) << comma;
    EXPECT_STREQ(text, "1.500000 2.000000 3.000000\n") << comma;
}

TEST(NumbersLocaleTest, RuntimePathsIgnoreTheProcessLocaleToo)
{
    // Shapes that the fast paths leave to the C runtime: a hexadecimal
    // number, an exponent without digits, a value past the fast range.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = CommaLocale();
    if (comma == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
    float hex = 0.0f;
    const bool read = ParseFloat("0x1.8p1", hex);
    float a = 0, b = 0, c = 0;
    const int count = ParseFloatTriple("2.5e 0x1.8p1 7", a, b, c);
    char line[NUMBER_LINE_CAPACITY];
    FormatNumberLine(line, sizeof line, ',', 1e20, 0.5, -2.25e15);
    const double area = ParseDouble("0x1.8p1");
    char fixed[NUMBER_LINE_CAPACITY];
    FormatFixed(fixed, sizeof fixed, 1e20);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_TRUE(read) << comma;
    EXPECT_EQ(hex, 3.0f) << comma;
    EXPECT_EQ(count, 3) << comma;
    EXPECT_EQ(b, 3.0f) << comma;
    EXPECT_STREQ(line, "100000000000000000000.000000,0.500000,-2250000000000000.000000\n") << comma;
    EXPECT_EQ(area, 3.0) << comma;
    EXPECT_STREQ(fixed, "100000000000000000000.000000") << comma;
}

// ---- the shapes where C runtimes differ --------------------------------------

struct EmptyHexCase {
    const char* text;
    int count;  // numbers "%g %g %g" reads
    float first;
};

TEST(ParseFloatTripleTest, HexadecimalWithoutDigitsReadsAsGlibcReadsIt)
{
    // glibc takes "0xp1" for no number and "0x.p1" for a zero that ends at
    // its point; MinGW's runtime reads on into the exponent (and then the
    // next number). Every system reads glibc's way.
    const EmptyHexCase cases[] = {
        {"0xp1 7", 0, 0.0f},   {"0XP-1 7", 0, 0.0f},    {"-0xp 7", 0, 0.0f},  {"0x.p5 7", 1, 0.0f},
        {"+0x.p1 7", 1, 0.0f}, {"-0x.P-1 7", 1, -0.0f}, {"1 0xp 7", 1, 1.0f}, {"1 0x.p2 7", 2, 1.0f},
        {"0x.8p1 7", 2, 1.0f}, {"0x 7", 0, 0.0f},
    };
    for (const EmptyHexCase& c : cases) {
        float values[3] = {9.0f, 9.0f, 9.0f};
        EXPECT_EQ(ParseFloatTriple(c.text, values[0], values[1], values[2]), c.count) << c.text;
        if (c.count > 0) {
            EXPECT_TRUE(SameBits(values[0], c.first)) << c.text;
        }
        float single = 9.0f;
        EXPECT_EQ(ParseFloat(c.text, single), c.count > 0) << c.text;
#ifndef _WIN32
        float expected[3] = {9.0f, 9.0f, 9.0f};
        const int read = std::sscanf(c.text, "%g %g %g", &expected[0], &expected[1], &expected[2]);
        EXPECT_EQ(read < 0 ? 0 : read, c.count) << c.text << ": the table is glibc's";
        if (c.count > 0) {
            EXPECT_TRUE(SameBits(expected[0], c.first)) << c.text;
        }
#endif
    }
}

bool SameDouble(double a, double b)
{
    // NaNs compare by their sign, which is all that "%f" shows of them.
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ParseDoubleTest, ReadsAsGlibcsAtofOnGeneratedTexts)
{
    TextGenerator generate(7);
    for (int i = 0; i < GENERATED; ++i) {
        std::string text = generate.Around(generate.FloatText());
        if (generate.Below(8) == 0) {
            text = generate.Pick({"", "-", "+", " ", "--", "+-"}) +
                   generate.Pick({"inf", "INFINITY", "nan", "NaN(12)", "0x1.8p3", "0X.8", "0x", "0xp2",
                                  "0x1p", "1e999", "1e-999", "4e-320", "in", "na"});
        }
        const double got = ParseDouble(text.c_str());
#ifdef _WIN32
        // MinGW's strtod reads as glibc's atof does, but for a sign with no
        // number after it, where it gives -0 instead of glibc's +0.
        char* end = nullptr;
        double expected = std::strtod(text.c_str(), &end);
        if (end == text.c_str()) expected = 0.0;
#else
        const double expected = std::atof(text.c_str());
#endif
        ASSERT_TRUE(SameDouble(got, expected)) << '"' << text << "\" " << got << " " << expected;
    }
}

TEST(FormatFixedTest, WritesWhatGlibcWritesAndFailsCleanlyWhenShort)
{
    std::mt19937_64 random(11);
    for (int i = 0; i < GENERATED; ++i) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (i % 3 == 0)
            value = std::ldexp(static_cast<double>(bits % 100000000), -static_cast<int>(bits % 40));
        const std::string line = testutil::GlibcFixedLine(',', value, value, value);
        const std::string expected = line.substr(0, line.find(','));
        char text[NUMBER_LINE_CAPACITY];
        ASSERT_EQ(FormatFixed(text, sizeof text, value), static_cast<int>(expected.size())) << expected;
        ASSERT_EQ(text, expected);
    }
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(FormatFixed(small, sizeof small, 1.5), -1);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(FormatFixed(small, sizeof small, -std::numeric_limits<double>::quiet_NaN()), -1);
    char exact[5];
    EXPECT_EQ(FormatFixed(exact, sizeof exact, -std::numeric_limits<double>::quiet_NaN()), 4);
    EXPECT_STREQ(exact, "-nan");
}

}  // namespace
