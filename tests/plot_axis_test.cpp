// Axes of the plots: prefixes, ticks, padded ranges and equal scale, over
// data from 1e-12 to 1e12.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plot/plot_axis.h"

namespace {

const char* const MICRO = "\xC2\xB5";
const char* const OHM = "\xCE\xA9";

struct PrefixCase {
    double largest;
    int exponent;
    std::string symbol;
};

TEST(PlotAxisTest, PrefixFollowsTheSizeOfTheValues)
{
    const PrefixCase cases[] = {
        {0.0, 0, ""},
        {1e-15, -12, "p"},  // below the smallest prefix: the smallest
        {1e-12, -12, "p"},
        {6.50296e-10, -12, "p"},  // 650 pA, a microelectrode's current
        {1e-9, -9, "n"},
        {6.5e-4, -6, MICRO},
        {0.001, -3, "m"},
        {0.5, -3, "m"},
        {1.0, 0, ""},
        {999.0, 0, ""},
        {999.9999999999, 3, "k"},  // 1000 but for rounding
        {-2500.0, 3, "k"},
        {4.7e6, 6, "M"},
        {1e9, 9, "G"},
        {1e12, 12, "T"},
        {5e14, 12, "T"},  // above the largest prefix: the largest
        {INFINITY, 0, ""},
        {NAN, 0, ""},
    };
    for (const PrefixCase& c : cases) {
        SCOPED_TRACE(c.largest);
        EXPECT_EQ(PrefixExponentFor(c.largest), c.exponent);
        EXPECT_EQ(PrefixSymbol(c.exponent), c.symbol);
    }
}

struct TickCase {
    const char* name;
    AxisRange range;
    AxisQuantity quantity;
    int wanted;
    std::string label;
    std::vector<std::string> ticks;
};

AxisQuantity Linear(const char* unit)
{
    return {"Q", unit, "", AxisScale::linear, true};
}

AxisQuantity Log(const char* unit)
{
    return {"Q", unit, "", AxisScale::log, true};
}

TEST(PlotAxisTest, TicksAreNiceAndLabelledInThePrefixOfTheData)
{
    const TickCase cases[] = {
        {"unit interval", {0, 1}, Linear("A"), 5, "Q / A", {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
        {"picoamperes", {1.2e-12, 9.8e-12}, Linear("A"), 4, "Q / pA", {"2", "4", "6", "8"}},
        {"nanoamperes across zero", {-3.5e-9, 4.5e-9}, Linear("A"), 4, "Q / nA", {"-2", "0", "2", "4"}},
        {"microamperes",
         {1.2e-4, 6.8e-4},
         Linear("A"),
         5,
         std::string("Q / ") + MICRO + "A",
         {"200", "300", "400", "500", "600"}},
        {"ohms", {13.2, 20.9}, Linear(OHM), 4, std::string("Q / ") + OHM, {"14", "16", "18", "20"}},
        {"kiloohms from below zero",
         {-1500, 98000},
         Linear(OHM),
         5,
         std::string("Q / k") + OHM,
         {"0", "20", "40", "60", "80"}},
        {"megaohms need a decimal",
         {2.1e6, 2.6e6},
         Linear(OHM),
         5,
         std::string("Q / M") + OHM,
         {"2.1", "2.2", "2.3", "2.4", "2.5", "2.6"}},
        {"gigaohms", {1e11, 9e11}, Linear(OHM), 4, std::string("Q / G") + OHM, {"200", "400", "600", "800"}},
        {"teraohms", {0, 5e12}, Linear(OHM), 5, std::string("Q / T") + OHM, {"0", "1", "2", "3", "4", "5"}},
        {"too narrow for the wanted step", {0.3, 0.45}, Linear("V"), 1, "Q / mV", {"300", "400"}},
        {"row numbers in thousands",
         {-49999, 1050000},
         {"row number", "", "", AxisScale::linear, true},
         5,
         "row number / 1000",
         {"0", "200", "400", "600", "800", "1000"}},
        {"a plain number below 1 keeps its decimals",
         {-0.55, 0.85},
         {"column 1", "", "", AxisScale::linear, true},
         4,
         "column 1",
         {"-0.5", "0.0", "0.5"}},
        {"degrees take no prefix",
         {-5, 95},
         {"-phase", "\xC2\xB0", "", AxisScale::linear, false},
         5,
         "-phase / \xC2\xB0",
         {"0", "20", "40", "60", "80"}},
        {"area suffix after the prefixed unit",
         {0, 3000},
         {"Z'", OHM,
          "\xC2\xB7"
          "area",
          AxisScale::linear, true},
         3,
         std::string("Z' / k") + OHM +
             "\xC2\xB7"
             "area",
         {"0", "1", "2", "3"}},
        {"log: every other decade", {0.8, 1.3e5}, Log("Hz"), 5, "Q / Hz", {"1", "100", "10k"}},
        {"log: 1e-12 to 1e12",
         {1e-12, 1e12},
         Log(OHM),
         5,
         std::string("Q / ") + OHM,
         {"100p", std::string("10") + MICRO, "1", "100k", "10G"}},
        {"log: 1-2-5 inside a decade", {1.5e-3, 9e-3}, Log("Hz"), 5, "Q / Hz", {"2m", "5m"}},
        {"log: less than a decade without 1-2-5",
         {13, 21},
         Log(OHM),
         4,
         std::string("Q / ") + OHM,
         {"14", "16", "18", "20"}},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(c.name);
        const AxisTicks ticks = MakeTicks(c.range, c.quantity, c.wanted);
        EXPECT_EQ(ticks.label, c.label);
        std::vector<std::string> labels;
        for (const AxisTick& tick : ticks.ticks) {
            labels.push_back(tick.label);
            EXPECT_GE(tick.value, c.range.low * (1 - 1e-9));
            EXPECT_LE(tick.value, c.range.high * (1 + 1e-9));
        }
        EXPECT_EQ(labels, c.ticks);
    }
}

TEST(PlotAxisTest, AGivenPrefixIsKeptSoEqualAxesReadAlike)
{
    const AxisTicks ticks = MakeTicks({0, 400}, Linear(OHM), 4, 3);
    EXPECT_EQ(ticks.label, std::string("Q / k") + OHM);
    ASSERT_EQ(ticks.ticks.size(), 5U);
    EXPECT_EQ(ticks.ticks[1].label, "0.1");
}

struct RangeCase {
    const char* name;
    std::vector<double> values;
    AxisScale scale;
    double low;
    double high;
};

TEST(PlotAxisTest, RangesPadTheDataAndNeverCollapse)
{
    const RangeCase cases[] = {
        {"no value", {}, AxisScale::linear, 0, 1},
        {"no value on a log axis", {}, AxisScale::log, 1, 10},
        {"only values a log axis cannot show", {0, -3}, AxisScale::log, 1, 10},
        {"five per cent each side", {0, 10}, AxisScale::linear, -0.5, 10.5},
        {"one value", {5, 5}, AxisScale::linear, 4.5, 5.5},
        {"zero alone", {0}, AxisScale::linear, -1, 1},
        {"one tiny negative value", {-2e-12}, AxisScale::linear, -2.2e-12, -1.8e-12},
        {"a span lost in rounding", {1e12, 1e12 + 1e-3}, AxisScale::linear, 0.9e12, 1.1e12},
        {"non-finite values are not data", {1, NAN, INFINITY, 3}, AxisScale::linear, 0.9, 3.1},
        {"decades on a log axis", {1, 1e4}, AxisScale::log, std::pow(10.0, -0.2), std::pow(10.0, 4.2)},
        {"one value on a log axis", {100}, AxisScale::log, std::pow(10.0, 1.5), std::pow(10.0, 2.5)},
        {"1e-12 to 1e12", {1e-12, 1e12}, AxisScale::log, std::pow(10.0, -13.2), std::pow(10.0, 13.2)},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        DataExtent extent;
        for (double value : c.values) {
            if (c.scale == AxisScale::linear || value > 0) {
                extent.Take(value);
            }
        }
        const AxisRange range = PaddedRange(extent, c.scale);
        EXPECT_NEAR(range.low, c.low, std::fabs(c.low) * 1e-9);
        EXPECT_NEAR(range.high, c.high, std::fabs(c.high) * 1e-9);
        EXPECT_LT(range.low, range.high);
    }
}

struct EqualCase {
    const char* name;
    AxisRange x;
    double xPixels;
    AxisRange y;
    double yPixels;
    AxisRange xAfter;
    AxisRange yAfter;
};

TEST(PlotAxisTest, EqualScaleWidensTheShorterRangeAboutItsMiddle)
{
    const EqualCase cases[] = {
        {"wide data widen y", {0, 100}, 500, {0, 10}, 250, {0, 100}, {-20, 30}},
        {"tall data widen x", {0, 10}, 500, {0, 100}, 250, {-95, 105}, {0, 100}},
        {"already equal", {0, 50}, 500, {0, 25}, 250, {0, 50}, {0, 25}},
        {"no pixels change nothing", {0, 1}, 0, {0, 5}, 100, {0, 1}, {0, 5}},
        {"1e-12 beside 1e12", {-1e-12, 1e-12}, 400, {0, 1e12}, 400, {-0.5e12, 0.5e12}, {0, 1e12}},
    };
    for (const EqualCase& c : cases) {
        SCOPED_TRACE(c.name);
        AxisRange x = c.x;
        AxisRange y = c.y;
        EqualiseScale(x, c.xPixels, y, c.yPixels);
        EXPECT_DOUBLE_EQ(x.low, c.xAfter.low);
        EXPECT_DOUBLE_EQ(x.high, c.xAfter.high);
        EXPECT_DOUBLE_EQ(y.low, c.yAfter.low);
        EXPECT_DOUBLE_EQ(y.high, c.yAfter.high);
        if (c.xPixels > 0) {
            EXPECT_NEAR((x.high - x.low) / c.xPixels, (y.high - y.low) / c.yPixels,
                        (y.high - y.low) / c.yPixels * 1e-12);
        }
    }
}

}  // namespace
