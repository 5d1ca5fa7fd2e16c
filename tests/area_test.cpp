// The area text: what atof makes of its first 99 characters, stored as a
// float, echoed as the double, and the flag that switches scaling on.
#include "batch/area.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "batch/job_table.h"
#include "engine/settings.h"
#include "support/test_util.h"

namespace {

// Every test starts with the load-time settings (area 1.0, flag 0).
class AreaTest : public ::testing::Test {
protected:
    testutil::ScopedAreaSettings m_settings{1.0f, 0};
};

std::string EchoOf(double value)
{
    char text[512];
    std::snprintf(text, sizeof text, "Area=%f", value);
    return text;
}

// The C library's reading of `text`: glibc's atof, or on Windows MinGW's
// strtod, which reads as glibc's does (the system's own atof does not).
double LibraryValue(const char* text)
{
#ifdef _WIN32
    return std::strtod(text, nullptr);
#else
    return std::atof(text);
#endif
}

// The float that the first 99 characters of `text` stand for, rounded by the
// hardware; only called for values that do not overflow it.
float FloatOfText(const std::string& text)
{
    return static_cast<float>(LibraryValue(text.substr(0, AREA_TEXT_MAX).c_str()));
}

bool SameFloat(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// --- The cases a user meets ----------------------------------------------------

struct AreaCase {
    const char* what;
    const char* text;
    float area;
    const char* echo;
};

TEST_F(AreaTest, ParsesTheLeadingNumberOfTheText)
{
    const AreaCase cases[] = {
        {"plain number", "2.5", 2.5f, "Area=2.500000"},
        {"text after the number", "2.5 cm2", 2.5f, "Area=2.500000"},
        {"leading spaces", "   3", 3.0f, "Area=3.000000"},
        {"comma ends the number", "1,5", 1.0f, "Area=1.000000"},
        {"empty text", "", 0.0f, "Area=0.000000"},
        {"letters first", "abc", 0.0f, "Area=0.000000"},
        {"negative value accepted", "-2", -2.0f, "Area=-2.000000"},
        {"zero", "0", 0.0f, "Area=0.000000"},
        {"exponent", "2.5e-1", 0.25f, "Area=0.250000"},
        {"capital exponent with sign", "1E+2", 100.0f, "Area=100.000000"},
        {"point alone", ".", 0.0f, "Area=0.000000"},
        {"start-up text", "1.0", 1.0f, "Area=1.000000"},
    };
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(c.what);
        g_areaEnabled = 0;
        const CString echo = ApplyAreaText(c.text);
        EXPECT_TRUE(SameFloat(c.area, g_surfaceArea)) << g_surfaceArea;
        EXPECT_EQ(std::string(c.echo), echo.str());
        EXPECT_EQ(1, g_areaEnabled);
    }
}

TEST_F(AreaTest, TypingAValueParsesEveryIntermediateText)
{
    const char* texts[] = {"0", "0.", "0.5"};
    const float areas[] = {0.0f, 0.0f, 0.5f};
    for (int i = 0; i < 3; ++i) {
        ApplyAreaText(texts[i]);
        EXPECT_EQ(areas[i], g_surfaceArea) << texts[i];
    }
}

TEST_F(AreaTest, NullTextReadsAsEmpty)
{
    EXPECT_EQ("Area=0.000000", ApplyAreaText(nullptr).str());
    EXPECT_EQ(0.0f, g_surfaceArea);
    EXPECT_EQ(1, g_areaEnabled);
}

// --- Single precision ------------------------------------------------------------

TEST_F(AreaTest, StoresTheFloatButEchoesTheDouble)
{
    const CString echo = ApplyAreaText("123456789");
    EXPECT_EQ("Area=123456789.000000", echo.str());
    EXPECT_EQ(123456792.0f, g_surfaceArea);
}

struct RangeCase {
    const char* what;
    const char* text;
    float area;
};

TEST_F(AreaTest, ValuesBeyondTheFloatRangeRoundAsTheHardwareDoes)
{
    const RangeCase cases[] = {
        {"1e39 overflows", "1e39", HUGE_VALF},
        {"-1e39 overflows", "-1e39", -HUGE_VALF},
        {"just above FLT_MAX rounds down to it", "3.4028235e38", FLT_MAX},
        {"past the halfway point to 2^128 overflows", "3.4028236e38", HUGE_VALF},
        {"exactly halfway rounds to even, which is infinity", "340282356779733661637539395458142568448",
         HUGE_VALF},
        {"just below halfway stays FLT_MAX", "3.402823567e38", FLT_MAX},
        {"far below the float range gives zero", "1e-60", 0.0f},
        {"negative tiny value keeps its sign", "-1e-60", -0.0f},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CString echo = ApplyAreaText(c.text);
        EXPECT_TRUE(SameFloat(c.area, g_surfaceArea)) << g_surfaceArea;
        EXPECT_EQ(EchoOf(LibraryValue(c.text)), echo.str());
    }
}

struct WordCase {
    const char* text;
    const char* echo;
};

TEST_F(AreaTest, WordsThatTheLibraryReadsAreAccepted)
{
    // What glibc's atof reads, on every system: Windows' own atof reads
    // neither the words nor hexadecimal numbers, and its "%f" drops the sign
    // of a NaN.
    const WordCase cases[] = {
        {"inf", "Area=inf"},           {"-Infinity", "Area=-inf"}, {"nan", "Area=nan"},
        {"-nan", "Area=-nan"},         {"nan(123)", "Area=nan"},   {"0x1.8p1", "Area=3.000000"},
        {"0X10", "Area=16.000000"},    {"0x", "Area=0.000000"},    {"0xp3", "Area=0.000000"},
        {"--1", "Area=0.000000"},      {"+-1", "Area=0.000000"},   {"1e400", "Area=inf"},
        {"-1e-400", "Area=-0.000000"},
    };
    for (const WordCase& c : cases) {
        EXPECT_EQ(ApplyAreaText(c.text).str(), c.echo) << c.text;
#ifndef _WIN32
        EXPECT_EQ(EchoOf(std::atof(c.text)), c.echo) << c.text << ": the table is glibc's";
#endif
    }
    ApplyAreaText("inf");
    EXPECT_TRUE(std::isinf(g_surfaceArea));
    ApplyAreaText("nan");
    EXPECT_TRUE(std::isnan(g_surfaceArea));
}

// --- The 99-character cut ----------------------------------------------------------

struct CutCase {
    const char* what;
    std::string text;
    float area;
};

TEST_F(AreaTest, OnlyTheFirst99CharactersAreRead)
{
    const CutCase cases[] = {
        {"number ending at character 99", std::string(98, ' ') + "7", 7.0f},
        {"number starting at character 100", std::string(99, ' ') + "7", 0.0f},
        {"number cut at character 99", std::string(97, ' ') + "0.5", 0.0f},
        {"digit 100 dropped", "1" + std::string(98, '0') + "5", static_cast<float>(1e98)},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.what);
        ApplyAreaText(c.text.c_str());
        EXPECT_TRUE(SameFloat(c.area, g_surfaceArea)) << g_surfaceArea;
    }
}

// --- Against the C library on generated texts --------------------------------------

// Texts in the shape of numbers, with noise around them, some longer than the cut.
std::string GenerateText(std::mt19937& random)
{
    static const char NOISE[] = "0123456789.eE+-, \tx";
    std::uniform_int_distribution<int> pick(0, 99);
    std::string text;
    if (pick(random) < 20) {
        text.append(static_cast<std::size_t>(pick(random) % 30), ' ');
    }
    if (pick(random) < 30) {
        text += pick(random) < 50 ? '-' : '+';
    }
    text += std::to_string(pick(random) * 1000 + pick(random));
    if (pick(random) < 70) {
        text += '.' + std::to_string(pick(random) * 7919 + pick(random));
    }
    if (pick(random) < 40) {
        text += (pick(random) < 50 ? "e" : "E") + std::to_string(pick(random) % 60 - 30);
    }
    const int noise = pick(random) % 8;
    for (int i = 0; i < noise; ++i) {
        text += NOISE[static_cast<std::size_t>(pick(random)) % (sizeof NOISE - 1)];
    }
    if (pick(random) < 5) {
        text = std::string(static_cast<std::size_t>(85 + pick(random) % 20), ' ') + text;
    }
    return text;
}

TEST_F(AreaTest, AgreesWithAtofOnGeneratedTexts)
{
    std::mt19937 random(20250311);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = GenerateText(random);
        const double value = LibraryValue(text.substr(0, AREA_TEXT_MAX).c_str());
        g_areaEnabled = 0;
        const CString echo = ApplyAreaText(text.c_str());
        if (std::fabs(value) >= 0x1p128) {
            ASSERT_TRUE(std::isinf(g_surfaceArea) && std::signbit(g_surfaceArea) == std::signbit(value))
                << "text \"" << text << "\"";
        } else {
            ASSERT_TRUE(SameFloat(FloatOfText(text), g_surfaceArea)) << "text \"" << text << "\"";
        }
        ASSERT_EQ(EchoOf(value), echo.str()) << "text \"" << text << "\"";
        ASSERT_EQ(1, g_areaEnabled);
    }
}

}  // namespace
