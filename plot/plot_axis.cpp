// Ranges, ticks and prefixes of plot axes.
#include "plot/plot_axis.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr double PADDING = 0.05;
constexpr int LOWEST_PREFIX = -12;
constexpr int HIGHEST_PREFIX = 12;

struct Prefix {
    int exponent;
    const char* symbol;
};
constexpr Prefix PREFIXES[] = {
    {-12, "p"}, {-9, "n"}, {-6, "\xC2\xB5"}, {-3, "m"}, {0, ""}, {3, "k"}, {6, "M"}, {9, "G"}, {12, "T"},
};

// A span for a range whose values are all one: a tenth of the value on each
// side, or 1 around 0.
AxisRange AroundOneValue(double value)
{
    const double half = value == 0.0 ? 1.0 : std::fabs(value) * 0.1;
    return {value - half, value + half};
}

// The step nearest (high - low) / wanted that is 1, 2 or 5 times a power of ten.
double NiceStep(double span, int wanted)
{
    const double rough = span / std::max(wanted, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    double nice = 10.0;
    if (fraction < 1.5) {
        nice = 1.0;
    } else if (fraction < 3.0) {
        nice = 2.0;
    } else if (fraction < 7.0) {
        nice = 5.0;
    }
    return nice * power;
}

// The nice step below `step`: 5 below 10, 2 below 5, 1 below 2.
double SmallerStep(double step)
{
    const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double fraction = step / power;
    if (fraction > 4.5) {
        return 2.0 * power;
    }
    return fraction > 1.5 ? power : 0.5 * power;
}

// Decimals that a multiple of `step` needs to be written exactly.
int DecimalsFor(double step)
{
    // A small allowance, so 0.1 (not quite a tenth in binary) needs one.
    const int decimals = static_cast<int>(-std::floor(std::log10(step) + 1e-9));
    return std::clamp(decimals, 0, 15);
}

std::vector<double> MultiplesInside(const AxisRange& range, double step)
{
    std::vector<double> values;
    const double first = std::ceil(range.low / step - 1e-9);
    const double last = std::floor(range.high / step + 1e-9);
    for (double k = first; k <= last && values.size() < 100; k += 1.0) {
        double value = k * step;
        if (std::fabs(value) < step * 1e-9) {
            value = 0.0;  // no "-0" or 1e-17 for the tick at zero
        }
        values.push_back(value);
    }
    return values;
}

// Linear ticks: multiples of a nice step inside the range, at least two.
std::vector<double> LinearTickValues(const AxisRange& range, int wanted, double& step)
{
    step = NiceStep(range.high - range.low, wanted);
    std::vector<double> values = MultiplesInside(range, step);
    for (int tries = 0; values.size() < 2 && tries < 3; ++tries) {
        step = SmallerStep(step);
        values = MultiplesInside(range, step);
    }
    return values;
}

// Log ticks: decades (every n-th when many), else 1-2-5 or 1..9 within
// the decades, whichever first gives at least two ticks in range.
std::vector<double> LogTickValues(const AxisRange& range, int wanted)
{
    const double lowDecade = std::floor(std::log10(range.low));
    const double highDecade = std::ceil(std::log10(range.high));
    const double decades = highDecade - lowDecade;
    const double every = std::max(1.0, std::ceil(decades / std::max(wanted, 1)));
    std::vector<double> values;
    for (double d = std::ceil(std::log10(range.low) / every - 1e-9) * every; d <= highDecade; d += every) {
        const double value = std::pow(10.0, d);
        if (value >= range.low * (1 - 1e-9) && value <= range.high * (1 + 1e-9)) {
            values.push_back(value);
        }
    }
    static const std::vector<double> STEPS[] = {{1, 2, 5}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
    for (const std::vector<double>& steps : STEPS) {
        if (values.size() >= 2) {
            break;
        }
        values.clear();
        for (double d = lowDecade; d <= highDecade; d += 1.0) {
            for (double m : steps) {
                const double value = m * std::pow(10.0, d);
                if (value >= range.low * (1 - 1e-9) && value <= range.high * (1 + 1e-9)) {
                    values.push_back(value);
                }
            }
        }
    }
    return values;
}

// A log tick's label: its value in the prefix that suits it alone, "10k".
std::string LogTickLabel(double value, bool prefixed)
{
    const int exponent = prefixed ? PrefixExponentFor(value) : 0;
    const double scaled = value / std::pow(10.0, exponent);
    // Log ticks have one significant digit: 1, 20, 500, or 0.2 below the
    // smallest prefix.
    return FormatDecimal(scaled, scaled >= 1.0 ? 0 : DecimalsFor(scaled)) + PrefixSymbol(exponent);
}

}  // namespace

void DataExtent::Take(double value)
{
    if (!std::isfinite(value)) {
        return;
    }
    if (empty) {
        low = high = value;
        empty = false;
        return;
    }
    low = std::min(low, value);
    high = std::max(high, value);
}

void DataExtent::Take(const DataExtent& other)
{
    if (!other.empty) {
        Take(other.low);
        Take(other.high);
    }
}

AxisRange PaddedRange(const DataExtent& extent, AxisScale scale)
{
    if (scale == AxisScale::log) {
        if (extent.empty || !(extent.low > 0.0)) {
            return {1.0, 10.0};
        }
        double low = std::log10(extent.low);
        double high = std::log10(extent.high);
        const double pad = high > low ? (high - low) * PADDING : 0.5;
        return {std::pow(10.0, low - pad), std::pow(10.0, high + pad)};
    }
    if (extent.empty) {
        return {0.0, 1.0};
    }
    const double span = extent.high - extent.low;
    // A span too small to tell from rounding counts as a single value.
    if (!(span > std::fabs(extent.high) * 1e-12) || !std::isfinite(span)) {
        const double middle = extent.low / 2 + extent.high / 2;
        return AroundOneValue(middle);
    }
    return {extent.low - span * PADDING, extent.high + span * PADDING};
}

void EqualiseScale(AxisRange& x, double xPixels, AxisRange& y, double yPixels)
{
    if (!(xPixels > 0.0) || !(yPixels > 0.0)) {
        return;
    }
    const double xPerPixel = (x.high - x.low) / xPixels;
    const double yPerPixel = (y.high - y.low) / yPixels;
    if (xPerPixel < yPerPixel) {
        const double middle = x.low / 2 + x.high / 2;
        const double half = yPerPixel * xPixels / 2;
        x = {middle - half, middle + half};
    } else if (yPerPixel < xPerPixel) {
        const double middle = y.low / 2 + y.high / 2;
        const double half = xPerPixel * yPixels / 2;
        y = {middle - half, middle + half};
    }
}

int PrefixExponentFor(double largest)
{
    largest = std::fabs(largest);
    if (!(largest > 0.0) || !std::isfinite(largest)) {
        return 0;
    }
    // A small allowance, so 999.9999999 (1000 in all but rounding) is 1k.
    const int exponent = static_cast<int>(std::floor(std::log10(largest) + 1e-9));
    const int grouped = static_cast<int>(std::floor(exponent / 3.0)) * 3;
    return std::clamp(grouped, LOWEST_PREFIX, HIGHEST_PREFIX);
}

const char* PrefixSymbol(int exponent)
{
    for (const Prefix& prefix : PREFIXES) {
        if (prefix.exponent == exponent) {
            return prefix.symbol;
        }
    }
    return "";
}

std::string FormatDecimal(double value, int decimals)
{
    char text[64];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::clamp(decimals, 0, 20));
    std::string result = written.ec == std::errc() ? std::string(text, written.ptr) : std::string("?");
    // "-0.00" says nothing that "0.00" does not.
    if (result[0] == '-' && result.find_first_not_of("-0.") == std::string::npos) {
        result.erase(0, 1);
    }
    return result;
}

std::string AxisLabel(const AxisQuantity& quantity, int prefixExponent)
{
    std::string label = quantity.quantity;
    if (quantity.unit.empty()) {
        if (prefixExponent != 0) {
            label += prefixExponent == 3 ? " / 1000" : " / 10^" + std::to_string(prefixExponent);
        }
        return label;
    }
    label += " / ";
    label += PrefixSymbol(prefixExponent);
    label += quantity.unit;
    label += quantity.unitSuffix;
    return label;
}

AxisTicks MakeTicks(const AxisRange& range, const AxisQuantity& quantity, int wanted,
                    std::optional<int> prefixExponent)
{
    AxisTicks result;
    if (quantity.scale == AxisScale::log) {
        const std::vector<double> values = LogTickValues(range, wanted);
        // Less than a decade with no 1-2-5 value in it (13 to 21) is
        // labelled as a linear axis would be, at the log positions.
        if (values.size() >= 2) {
            for (double value : values) {
                result.ticks.push_back({value, LogTickLabel(value, quantity.prefixed)});
            }
            result.label = AxisLabel(quantity, 0);
            return result;
        }
    }
    double step = 1.0;
    const std::vector<double> values = LinearTickValues(range, wanted, step);
    double largest = 0.0;
    for (double value : values) {
        largest = std::max(largest, std::fabs(value));
    }
    int exponent = 0;
    if (quantity.prefixed) {
        // A plain number is grouped in thousands only by a step that large
        // (200, 400 thousand rows); a quantity with a unit by its largest
        // tick (0.5 to 2.5 kΩ).
        const int natural =
            quantity.unit.empty() ? std::max(0, PrefixExponentFor(step)) : PrefixExponentFor(largest);
        exponent = prefixExponent ? *prefixExponent : natural;
    }
    const double unit = std::pow(10.0, exponent);
    const int decimals = DecimalsFor(step / unit);
    for (double value : values) {
        result.ticks.push_back({value, FormatDecimal(value / unit, decimals)});
    }
    result.prefixExponent = exponent;
    result.label = AxisLabel(quantity, exponent);
    return result;
}
