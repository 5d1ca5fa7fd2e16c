// Axes of a plot without any window: the range an axis covers, the "nice"
// ticks along it with a unit prefix that follows the data, and equal scale
// on two axes. Everything here works on plain numbers, so the dialog's
// preview and the SVG files of the command line place their axes alike.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class AxisScale { linear, log };

// What an axis shows, as its label names it: "Z' / kΩ", "f / Hz".
struct AxisQuantity {
    std::string quantity;  // "Z'", "f", "row number"
    // The unit without a prefix: "Ω", "Hz", "A"; empty for a plain count.
    std::string unit;
    // Written after the prefixed unit: "·area" in "kΩ·area".
    std::string unitSuffix;
    AxisScale scale = AxisScale::linear;
    // False for units that take no prefix (degrees).
    bool prefixed = true;
};

// The values an axis covers, low < high. A log axis keeps its range in
// the values themselves (both greater than 0), not in their logarithms.
struct AxisRange {
    double low = 0.0;
    double high = 1.0;
};

// The smallest and largest of the values an axis must show. A log axis
// takes only values greater than 0; no value gives no extent.
struct DataExtent {
    bool empty = true;
    double low = 0.0;
    double high = 0.0;

    void Take(double value);
    void Take(const DataExtent& other);
};

// The range that shows `extent` with room around it: 5% of the span on
// each side (of the decades on a log axis). A single value gets a span of
// its own around it; no value at all gives 0..1 (1..10 on a log axis).
AxisRange PaddedRange(const DataExtent& extent, AxisScale scale);

// Widens the one of two linear ranges that has fewer units per pixel about
// its middle until both have as many, so a circle stays a circle and the
// data fill the box along at least one axis.
void EqualiseScale(AxisRange& x, double xPixels, AxisRange& y, double yPixels);

// The power of ten (a multiple of 3, from -12 to 12) whose prefix suits
// values up to `largest` in size: 3 (k) for 1500, -6 (µ) for 0.00065, 0
// for 0 and for values from 1 up to 999.
int PrefixExponentFor(double largest);

// The symbol of a power of ten of PrefixExponentFor: "p", "n", "µ" (UTF-8),
// "m", "", "k", "M", "G", "T".
const char* PrefixSymbol(int exponent);

struct AxisTick {
    double value = 0.0;
    std::string label;
};

// The ticks of one axis and the label that names its quantity and unit.
struct AxisTicks {
    std::vector<AxisTick> ticks;
    int prefixExponent = 0;
    std::string label;
};

// Ticks at 1, 2 or 5 times a power of ten inside `range`, about `wanted` of
// them, labelled in the prefix that suits the largest of them (or in
// `prefixExponent` when given, so two axes of equal scale share one). A log
// axis gets decades, and 1-2-5 steps inside them where too few decades are
// in range; each label there carries its own prefix ("10k").
AxisTicks MakeTicks(const AxisRange& range, const AxisQuantity& quantity, int wanted,
                    std::optional<int> prefixExponent = std::nullopt);

// The label of an axis: "Z' / kΩ·area", "row number / 1000", "f / Hz".
std::string AxisLabel(const AxisQuantity& quantity, int prefixExponent);

// `value` as text in the "C" locale with `decimals` decimals, "-0" written
// as "0"; whatever the process locale.
std::string FormatDecimal(double value, int decimals);
