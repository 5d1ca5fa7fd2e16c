// The panels each kind of data gets, and the series in them.
#include "plot/plot_figure.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "plot/plot_thinning.h"

namespace {

constexpr double DEGREES_PER_RADIAN = 180.0 / 3.14159265358979323846;
// A sweep's second output column is in mA (per area); its axis is in A.
constexpr double MILLIAMPERE = 1e-3;

constexpr PlotColour PALETTE[] = {
    {31, 119, 180}, {214, 39, 40},   {44, 160, 44},   {255, 127, 14}, {148, 103, 189},
    {140, 86, 75},  {227, 119, 194}, {127, 127, 127}, {188, 189, 34}, {23, 190, 207},
};

// The units of values scaled by an area: "Ω·area", "A/area"; plain when the
// area is 1 and changes nothing.
std::string AreaSuffix(float area, const char* suffix)
{
    return area == 1.0f ? std::string() : std::string(suffix);
}

AxisQuantity Linear(std::string quantity, std::string unit, std::string suffix = {})
{
    return {std::move(quantity), std::move(unit), std::move(suffix), AxisScale::linear, true};
}

AxisQuantity Log(std::string quantity, std::string unit, std::string suffix = {})
{
    return {std::move(quantity), std::move(unit), std::move(suffix), AxisScale::log, true};
}

bool HasRows(const PlotSource& source)
{
    return source.rows != nullptr && source.rows->Size() > 0;
}

// Frequency, |Z| and -phase in degrees of each impedance row: what the Bode
// panel draws. -phase is atan2(-Z'', Z'), which the area does not change.
std::shared_ptr<const RowColumns> BodeColumns(const RowColumns& rows)
{
    auto bode = std::make_shared<RowColumns>();
    const std::size_t count = rows.Size();
    bode->first = rows.first;
    bode->second.resize(count);
    bode->third.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double real = rows.second[i];
        const double negativeImaginary = rows.third[i];
        // The plain square root, but where its squares would overflow.
        double magnitude = std::sqrt(real * real + negativeImaginary * negativeImaginary);
        if (std::isinf(magnitude) && std::isfinite(real) && std::isfinite(negativeImaginary)) {
            magnitude = std::hypot(real, negativeImaginary);
        }
        bode->second[i] = magnitude;
        bode->third[i] = std::atan2(negativeImaginary, real) * DEGREES_PER_RADIAN;
    }
    return bode;
}

// Series colours: one file shows each series in a colour of its own; an
// overlay gives each file one colour and dashes the right axis's series.
struct SeriesStyle {
    int leftColour;
    int rightColour;
    bool rightDashed;
};

SeriesStyle StyleFor(std::size_t file, bool overlay)
{
    if (!overlay) {
        return {0, 1, false};
    }
    const int colour = static_cast<int>(file);
    return {colour, colour, true};
}

void AddImpedance(std::vector<PlotPanel>& panels, const PlotSource& source, std::size_t file, bool overlay)
{
    const SeriesStyle style = StyleFor(file, overlay);
    PlotSeries nyquist{source.name, source.rows, 1, 2, false, style.leftColour, false};
    panels[0].series.push_back(nyquist);
    const std::shared_ptr<const RowColumns> bode = BodeColumns(*source.rows);
    panels[1].series.push_back({source.name, bode, 0, 1, false, style.leftColour, false});
    panels[1].series.push_back({source.name, bode, 0, 2, true, style.rightColour, style.rightDashed});
}

void AddSweep(std::vector<PlotPanel>& panels, const PlotSource& source, std::size_t file, bool overlay)
{
    const SeriesStyle style = StyleFor(file, overlay);
    panels[0].series.push_back({source.name, source.rows, 0, 1, false, style.leftColour, false, MILLIAMPERE});
    panels[1].series.push_back({source.name, source.rows, ROW_NUMBER, 0, false, style.leftColour, false});
    panels[1].series.push_back(
        {source.name, source.rows, ROW_NUMBER, 1, true, style.rightColour, style.rightDashed, MILLIAMPERE});
}

std::vector<PlotPanel> ImpedancePanels(float area)
{
    const std::string suffix = AreaSuffix(area,
                                          "\xC2\xB7"
                                          "area");
    PlotPanel nyquist;
    nyquist.heading = "Nyquist";
    nyquist.x = Linear("Z'", "\xCE\xA9", suffix);
    nyquist.left = Linear("-Z''", "\xCE\xA9", suffix);
    nyquist.equalScale = true;
    PlotPanel bode;
    bode.heading = "Bode";
    bode.x = Log("f", "Hz");
    bode.left = Log("|Z|", "\xCE\xA9", suffix);
    bode.right = AxisQuantity{"-phase", "\xC2\xB0", "", AxisScale::linear, false};
    return {nyquist, bode};
}

std::vector<PlotPanel> SweepPanels(float area)
{
    // The second output column is -1000 * current / area, in mA per area;
    // it is drawn in A so the prefix can follow the data (nA for a
    // microelectrode). The first column is written as the file holds it.
    PlotPanel sweep;
    sweep.heading = "Sweep";
    sweep.x = Linear("column 1", "");
    sweep.left = Linear("-I", "A", AreaSuffix(area, "/area"));
    PlotPanel rows;
    rows.heading = "Against row number";
    rows.x = Linear("row number", "");
    rows.left = sweep.x;
    rows.right = sweep.left;
    return {sweep, rows};
}

std::string PointsText(long long count)
{
    return std::to_string(count) + (count == 1 ? " point" : " points");
}

void AddNotes(PlotFigure& figure, const PlotSource& source)
{
    const LeftOutCounts counts = CountLeftOut(source);
    if (counts.notFinite > 0) {
        figure.notes.push_back(source.name + ": " + PointsText(counts.notFinite) +
                               " not a finite number, left out (the line breaks there)");
    }
    if (counts.notOnLog > 0) {
        figure.notes.push_back(source.name + ": " + PointsText(counts.notOnLog) +
                               " with f or |Z| not above 0, left off the log axes");
    }
}

const double* Column(const RowColumns& rows, int column)
{
    return column == 0 ? rows.first.data() : column == 1 ? rows.second.data() : rows.third.data();
}

bool Shows(double value, AxisScale scale)
{
    return std::isfinite(value) && (scale == AxisScale::linear || value > 0.0);
}

// Where an extent lies on the axis: its values, or their logarithms.
// The decimal logarithm of a positive normal number, to within a few
// millionths of a decade: plenty for a grid of 1024 cells, and several
// times quicker than the C library's, which matters for a million rows.
double GridLog10(double value)
{
    constexpr std::uint64_t MANTISSA = 0x000FFFFFFFFFFFFFULL;
    constexpr std::uint64_t ONE = 0x3FF0000000000000ULL;
    constexpr double LN2 = 0.69314718055994530942;
    constexpr double LOG10_E = 0.43429448190325182765;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    if (exponent == -1023) {
        return std::log10(value);  // too small to be normal
    }
    // ln m = 2 atanh((m - 1) / (m + 1)) for the mantissa m in [1, 2).
    const double mantissa = std::bit_cast<double>((bits & MANTISSA) | ONE);
    const double t = (mantissa - 1.0) / (mantissa + 1.0);
    const double t2 = t * t;
    const double ln = 2.0 * t * (1.0 + t2 * (1.0 / 3 + t2 * (1.0 / 5 + t2 * (1.0 / 7 + t2 * (1.0 / 9)))));
    return (exponent * LN2 + ln) * LOG10_E;
}

double AxisValue(double value, AxisScale scale)
{
    return scale == AxisScale::log ? GridLog10(value) : value;
}

// The factor that spreads an extent over the sketch's grid.
double GridFactor(const DataExtent& extent, AxisScale scale)
{
    const double span = AxisValue(extent.high, scale) - AxisValue(extent.low, scale);
    return span > 0.0 && std::isfinite(span) ? (SKETCH_GRID - 1) / span : 0.0;
}

// Grid coordinates of a sketch: where a value lies on the sketch's grid.
struct SketchGrid {
    AxisScale scale;
    double low;
    double factor;

    float At(double value) const { return static_cast<float>((AxisValue(value, scale) - low) * factor); }
};

// Feeds the rows of a series against the row number to `thinner`. Each
// stretch of rows that falls in one grid column gives only its first,
// last, lowest and highest row, found in a tight loop; a stretch with a row
// the axis cannot show goes row by row, so the line breaks there.
void FeedAgainstRows(const double* ys, double yFactor, std::size_t count, const SketchGrid& x,
                     const SketchGrid& y, CPixelThinner& thinner)
{
    const bool log = y.scale == AxisScale::log;
    for (std::size_t begin = 0; begin < count;) {
        // The rows whose grid column is that of row `begin`; the thinner
        // groups by its own columns, so a stretch cut one row off is harmless.
        const double column = std::floor(x.At(static_cast<double>(begin + 1)));
        std::size_t end = count;
        if (x.factor > 0.0) {
            const double next = x.low + (column + 1.0) / x.factor;
            end = static_cast<std::size_t>(std::clamp(std::ceil(next - 1.0), static_cast<double>(begin + 1),
                                                      static_cast<double>(count)));
        }
        std::size_t lowest = begin;
        std::size_t highest = begin;
        bool shown = true;
        for (std::size_t row = begin; row < end; ++row) {
            const double value = ys[row];
            if (!std::isfinite(value) || (log && !(value > 0.0))) {
                shown = false;
                break;
            }
            lowest = value < ys[lowest] ? row : lowest;
            highest = value > ys[highest] ? row : highest;
        }
        if (shown) {
            std::size_t rows[] = {begin, lowest, highest, end - 1};
            std::sort(std::begin(rows), std::end(rows));
            for (std::size_t i = 0; i < 4; ++i) {
                if (i == 0 || rows[i] != rows[i - 1]) {
                    thinner.Add(x.At(static_cast<double>(rows[i] + 1)), y.At(ys[rows[i]] * yFactor),
                                static_cast<std::uint32_t>(rows[i]));
                }
            }
        } else {
            for (std::size_t row = begin; row < end; ++row) {
                const double value = ys[row] * yFactor;
                if (Shows(value, y.scale)) {
                    thinner.Add(x.At(static_cast<double>(row + 1)), y.At(value),
                                static_cast<std::uint32_t>(row));
                } else {
                    thinner.Break();
                }
            }
        }
        begin = end;
    }
}

// Gives every series of `panels` its sketch.
void SketchPanels(std::vector<PlotPanel>& panels)
{
    for (PlotPanel& panel : panels) {
        for (PlotSeries& series : panel.series) {
            const AxisScale y = series.rightAxis && panel.right ? panel.right->scale : panel.left.scale;
            series.sketch = std::make_shared<const SeriesSketch>(SketchSeries(series, panel.x.scale, y));
        }
    }
}

}  // namespace

double SeriesX(const PlotSeries& series, std::size_t row)
{
    return series.xColumn == ROW_NUMBER ? static_cast<double>(row + 1)
                                        : Column(*series.rows, series.xColumn)[row];
}

double SeriesY(const PlotSeries& series, std::size_t row)
{
    return Column(*series.rows, series.yColumn)[row] * series.yScale;
}

SeriesSketch SketchSeries(const PlotSeries& series, AxisScale xScale, AxisScale yScale)
{
    SeriesSketch sketch;
    const std::size_t count = series.rows->Size();
    const double* xs = series.xColumn == ROW_NUMBER ? nullptr : Column(*series.rows, series.xColumn);
    const double* ys = Column(*series.rows, series.yColumn);
    const double yFactor = series.yScale;
    const auto xAt = [xs](std::size_t row) { return xs != nullptr ? xs[row] : static_cast<double>(row + 1); };
    for (std::size_t row = 0; row < count; ++row) {
        const double x = xAt(row);
        const double y = ys[row] * yFactor;
        if (Shows(x, xScale) && Shows(y, yScale)) {
            sketch.x.Take(x);
            sketch.y.Take(y);
        }
    }
    if (sketch.x.empty) {
        return sketch;
    }
    const SketchGrid xGrid{xScale, AxisValue(sketch.x.low, xScale), GridFactor(sketch.x, xScale)};
    const SketchGrid yGrid{yScale, AxisValue(sketch.y.low, yScale), GridFactor(sketch.y, yScale)};
    PixelRuns grid;
    {
        CPixelThinner thinner(grid);
        // Against the row number (a positive unit factor keeps the order of
        // the values): whole stretches of rows at a time.
        const bool byRows = xs == nullptr && xScale == AxisScale::linear && yFactor > 0.0;
        if (byRows) {
            FeedAgainstRows(ys, yFactor, count, xGrid, yGrid, thinner);
        }
        for (std::size_t row = 0; row < count && !byRows; ++row) {
            const double x = xAt(row);
            const double y = ys[row] * yFactor;
            if (!Shows(x, xScale) || !Shows(y, yScale)) {
                thinner.Break();
                continue;
            }
            thinner.Add(xGrid.At(x), yGrid.At(y), static_cast<std::uint32_t>(row));
        }
    }
    sketch.rows = std::move(grid.samples);
    sketch.runEnds = std::move(grid.runEnds);
    sketch.grid = std::move(grid.points);
    sketch.xLow = xGrid.low;
    sketch.xFactor = xGrid.factor;
    sketch.yLow = yGrid.low;
    sketch.yFactor = yGrid.factor;
    return sketch;
}

PlotColour PaletteColour(int index)
{
    constexpr int size = static_cast<int>(sizeof PALETTE / sizeof PALETTE[0]);
    return PALETTE[((index % size) + size) % size];
}

LeftOutCounts CountLeftOut(const PlotSource& source)
{
    LeftOutCounts counts;
    if (!HasRows(source)) {
        return counts;
    }
    const RowColumns& rows = *source.rows;
    const bool impedance = source.kind == PlotKind::impedance;
    for (std::size_t i = 0; i < rows.Size(); ++i) {
        const double a = rows.first[i];
        const double b = rows.second[i];
        const double c = rows.third[i];
        // A sweep's third column is not drawn.
        const bool finite = std::isfinite(a) && std::isfinite(b) && (!impedance || std::isfinite(c));
        if (!finite) {
            ++counts.notFinite;
        } else if (impedance && (!(a > 0.0) || !(std::hypot(b, c) > 0.0))) {
            ++counts.notOnLog;
        }
    }
    return counts;
}

PlotFigure BuildFigure(const std::vector<PlotSource>& sources)
{
    PlotFigure figure;
    for (const PlotSource& source : sources) {
        figure.title += (figure.title.empty() ? "" : ", ") + source.name;
    }
    const PlotSource* lead = nullptr;
    for (const PlotSource& source : sources) {
        if (HasRows(source)) {
            lead = &source;
            break;
        }
    }
    if (lead == nullptr) {
        const std::string why = sources.size() == 1 ? sources[0].problem : std::string();
        figure.message = why.empty() ? "No data" : "No data: " + why;
        for (const PlotSource& source : sources) {
            if (sources.size() > 1) {
                figure.notes.push_back(source.name + ": " +
                                       (source.problem.empty() ? "no data" : source.problem));
            }
        }
        return figure;
    }

    figure.panels = lead->kind == PlotKind::impedance ? ImpedancePanels(lead->area) : SweepPanels(lead->area);
    const bool overlay = sources.size() > 1;
    std::size_t shown = 0;
    for (const PlotSource& source : sources) {
        if (!HasRows(source)) {
            figure.notes.push_back(source.name + ": no data" +
                                   (source.problem.empty() ? "" : " (" + source.problem + ")"));
            continue;
        }
        if (source.kind != lead->kind) {
            figure.notes.push_back(source.name + ": another kind of data, not shown");
            continue;
        }
        if (source.kind == PlotKind::impedance) {
            AddImpedance(figure.panels, source, shown, overlay);
        } else {
            AddSweep(figure.panels, source, shown, overlay);
        }
        if (overlay) {
            figure.legend.push_back({source.name, static_cast<int>(shown)});
        }
        AddNotes(figure, source);
        figure.notes.insert(figure.notes.end(), source.notes.begin(), source.notes.end());
        ++shown;
    }
    SketchPanels(figure.panels);
    return figure;
}
