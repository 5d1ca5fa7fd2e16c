// Laying a figure out at a size: bands, panels, axes, ticks, thinned lines.
#include "plot/plot_scene.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int TITLE_BAND = 30;
constexpr int LEGEND_BAND = 20;
constexpr int NOTE_LINE = 16;
constexpr std::size_t MOST_NOTES = 4;
constexpr int MARGIN_LEFT = 72;
constexpr int MARGIN_RIGHT = 20;
constexpr int MARGIN_RIGHT_AXIS = 72;
constexpr int MARGIN_TOP = 24;
constexpr int MARGIN_BOTTOM = 46;
constexpr int TICK_LENGTH = 5;
// A rough width of one character of the 12-pixel text, to place the legend
// where the size of text cannot be measured (in an SVG file).
constexpr int LEGEND_CHAR_WIDTH = 7;
// No pixel coordinate goes past this, whatever the data: a drawing system
// given a coordinate far outside its window may draw nothing at all.
constexpr float FAR_OUT = 1e5f;
constexpr PlotColour BLACK{0, 0, 0};
constexpr PlotColour GREY{90, 90, 90};

// One axis of a panel: its range, scale and where it lies in pixels.
struct AxisMap {
    AxisRange range;
    AxisScale scale = AxisScale::linear;
    float from = 0.0f;  // pixel of range.low
    float to = 1.0f;    // pixel of range.high

    float Pixel(double value) const
    {
        double t = 0.0;
        if (scale == AxisScale::log) {
            t = (std::log10(value) - std::log10(range.low)) /
                (std::log10(range.high) - std::log10(range.low));
        } else {
            t = (value - range.low) / (range.high - range.low);
        }
        const double pixel = from + t * (to - from);
        return static_cast<float>(
            std::clamp(pixel, -static_cast<double>(FAR_OUT), static_cast<double>(FAR_OUT)));
    }
};

// The pixel of a sketch's grid coordinate on one axis: a straight line,
// since both are linear in the axis's own terms.
struct GridToPixel {
    double offset = 0.0;
    double slope = 0.0;

    GridToPixel(const AxisMap& axis, double sketchLow, double sketchFactor)
    {
        const bool log = axis.scale == AxisScale::log;
        const double low = log ? std::log10(axis.range.low) : axis.range.low;
        const double high = log ? std::log10(axis.range.high) : axis.range.high;
        const double perUnit = (axis.to - axis.from) / (high - low);
        slope = sketchFactor > 0.0 ? perUnit / sketchFactor : 0.0;
        offset = axis.from + (sketchLow - low) * perUnit;
    }

    float operator()(float coordinate) const
    {
        const double pixel = offset + slope * coordinate;
        return static_cast<float>(
            std::clamp(pixel, -static_cast<double>(FAR_OUT), static_cast<double>(FAR_OUT)));
    }
};

// The line of `series` at this layout: the rows its sketch kept, thinned
// again to the pixels; the line breaks where the sketch's does.
PixelRuns Trace(const SeriesSketch& sketch, const AxisMap& x, const AxisMap& y)
{
    const GridToPixel xPixel(x, sketch.xLow, sketch.xFactor);
    const GridToPixel yPixel(y, sketch.yLow, sketch.yFactor);
    PixelRuns runs;
    {
        CPixelThinner thinner(runs);
        std::size_t at = 0;
        for (std::uint32_t end : sketch.runEnds) {
            for (; at < end; ++at) {
                thinner.Add(xPixel(sketch.grid[at].x), yPixel(sketch.grid[at].y), sketch.rows[at]);
            }
            thinner.Break();
        }
    }
    return runs;
}

// The series' sketch, made now for a series that has none.
std::shared_ptr<const SeriesSketch> SketchOf(const PlotSeries& series, AxisScale x, AxisScale y)
{
    return series.sketch != nullptr ? series.sketch
                                    : std::make_shared<const SeriesSketch>(SketchSeries(series, x, y));
}

class CLayout {
public:
    explicit CLayout(Scene& scene) : m_scene(scene) {}

    void Text(float x, float y, std::string text, TextAnchor anchor, int size = 12, bool bold = false,
              PlotColour colour = BLACK, bool vertical = false)
    {
        m_scene.texts.push_back({x, y, std::move(text), anchor, vertical, size, bold, colour});
    }

    void Line(float x0, float y0, float x1, float y1, bool grid)
    {
        m_scene.lines.push_back({x0, y0, x1, y1, grid});
    }

    void Panel(const PlotPanel& panel, const SceneBox& box, bool overlay);

private:
    void XTicks(const AxisTicks& ticks, const AxisMap& x, const SceneBox& area);
    void YTicks(const AxisTicks& ticks, const AxisMap& y, const SceneBox& area, bool right, bool grid);

    Scene& m_scene;
};

void CLayout::XTicks(const AxisTicks& ticks, const AxisMap& x, const SceneBox& area)
{
    const float bottom = area.y + area.height;
    for (const AxisTick& tick : ticks.ticks) {
        const float at = x.Pixel(tick.value);
        Line(at, area.y, at, bottom, true);
        Line(at, bottom, at, bottom + TICK_LENGTH, false);
        Text(at, bottom + TICK_LENGTH + 9, tick.label, TextAnchor::middle);
    }
}

void CLayout::YTicks(const AxisTicks& ticks, const AxisMap& y, const SceneBox& area, bool right, bool grid)
{
    const float edge = right ? area.x + area.width : area.x;
    const float outward = right ? TICK_LENGTH : -TICK_LENGTH;
    for (const AxisTick& tick : ticks.ticks) {
        const float at = y.Pixel(tick.value);
        if (grid) {
            Line(area.x, at, area.x + area.width, at, true);
        }
        Line(edge, at, edge + outward, at, false);
        Text(edge + outward * 1.6f, at, tick.label, right ? TextAnchor::start : TextAnchor::end);
    }
}

void CLayout::Panel(const PlotPanel& panel, const SceneBox& box, bool overlay)
{
    const int marginRight = panel.right ? MARGIN_RIGHT_AXIS : MARGIN_RIGHT;
    const SceneBox area{box.x + MARGIN_LEFT, box.y + MARGIN_TOP,
                        std::max(box.width - MARGIN_LEFT - marginRight, 1.0f),
                        std::max(box.height - MARGIN_TOP - MARGIN_BOTTOM, 1.0f)};
    m_scene.plotAreas.push_back(area);
    Text(area.x + area.width / 2, box.y + MARGIN_TOP / 2.0f, panel.heading, TextAnchor::middle, 13, true);

    AxisMap x{{}, panel.x.scale, area.x, area.x + area.width};
    AxisMap left{{}, panel.left.scale, area.y + area.height, area.y};
    AxisMap right{{}, panel.right ? panel.right->scale : AxisScale::linear, area.y + area.height, area.y};
    std::vector<std::shared_ptr<const SeriesSketch>> sketches;
    DataExtent xs, lefts, rights;
    for (const PlotSeries& series : panel.series) {
        sketches.push_back(SketchOf(series, x.scale, series.rightAxis ? right.scale : left.scale));
        xs.Take(sketches.back()->x);
        (series.rightAxis ? rights : lefts).Take(sketches.back()->y);
    }
    x.range = PaddedRange(xs, x.scale);
    left.range = PaddedRange(lefts, left.scale);
    right.range = PaddedRange(rights, right.scale);

    // Log labels are short ("10k"): they may stand closer.
    const int xWanted = std::max(2, static_cast<int>(area.width / (x.scale == AxisScale::log ? 55 : 100)));
    const int yWanted = std::max(2, static_cast<int>(area.height / (left.scale == AxisScale::log ? 40 : 60)));
    AxisTicks xTicks, leftTicks;
    if (panel.equalScale && x.scale == AxisScale::linear && left.scale == AxisScale::linear) {
        EqualiseScale(x.range, area.width, left.range, area.height);
        // One prefix for both, so equal lengths read as equal numbers.
        const double largest = std::max({std::fabs(x.range.low), std::fabs(x.range.high),
                                         std::fabs(left.range.low), std::fabs(left.range.high)});
        const int prefix = PrefixExponentFor(largest);
        xTicks = MakeTicks(x.range, panel.x, xWanted, prefix);
        leftTicks = MakeTicks(left.range, panel.left, yWanted, prefix);
    } else {
        xTicks = MakeTicks(x.range, panel.x, xWanted);
        leftTicks = MakeTicks(left.range, panel.left, yWanted);
    }

    XTicks(xTicks, x, area);
    YTicks(leftTicks, left, area, false, true);
    Text(area.x + area.width / 2, area.y + area.height + MARGIN_BOTTOM - 10, xTicks.label, TextAnchor::middle,
         13);

    // Which series belong to which y axis, in the colours of a single file.
    PlotColour leftColour = BLACK;
    PlotColour rightColour = BLACK;
    bool rightDashed = false;
    for (const PlotSeries& series : panel.series) {
        if (series.rightAxis) {
            rightColour = overlay ? BLACK : PaletteColour(series.colour);
            rightDashed = series.dashed;
        } else if (panel.right && !overlay) {
            leftColour = PaletteColour(series.colour);
        }
    }
    Text(box.x + 14, area.y + area.height / 2, leftTicks.label, TextAnchor::middle, 13, false, leftColour,
         true);
    if (panel.right) {
        const AxisTicks rightTicks = MakeTicks(right.range, *panel.right, yWanted);
        YTicks(rightTicks, right, area, true, false);
        std::string label = rightTicks.label;
        if (rightDashed) {
            label += " (dashed)";
        }
        Text(box.x + box.width - 14, area.y + area.height / 2, label, TextAnchor::middle, 13, false,
             rightColour, true);
    }

    for (std::size_t i = 0; i < panel.series.size(); ++i) {
        const PlotSeries& series = panel.series[i];
        ScenePath path;
        path.name = series.name;
        path.colour = PaletteColour(series.colour);
        path.dashed = series.dashed;
        path.markers = series.rows->Size() <= MARKER_LIMIT;
        path.line = Trace(*sketches[i], x, series.rightAxis ? right : left);
        m_scene.paths.push_back(std::move(path));
    }
}

}  // namespace

Scene LayoutFigure(const PlotFigure& figure, int width, int height)
{
    Scene scene;
    scene.width = std::max(width, 1);
    scene.height = std::max(height, 1);
    CLayout layout(scene);
    const float w = static_cast<float>(scene.width);
    layout.Text(w / 2, TITLE_BAND / 2.0f, figure.title, TextAnchor::middle, 15, true);
    float top = TITLE_BAND;

    if (!figure.legend.empty()) {
        float x = 12.0f;
        for (const LegendEntry& entry : figure.legend) {
            layout.Text(x, top + LEGEND_BAND / 2.0f, entry.name, TextAnchor::start, 12, true,
                        PaletteColour(entry.colour));
            x += static_cast<float>((entry.name.size() + 3) * LEGEND_CHAR_WIDTH);
        }
        top += LEGEND_BAND;
    }

    const std::size_t notes = std::min(figure.notes.size(), MOST_NOTES + 1);
    const float bottom = static_cast<float>(scene.height) - static_cast<float>(notes) * NOTE_LINE;
    for (std::size_t i = 0; i < notes; ++i) {
        std::string text = figure.notes[i];
        if (i == MOST_NOTES && figure.notes.size() > MOST_NOTES + 1) {
            text = "and " + std::to_string(figure.notes.size() - MOST_NOTES) + " more notes";
        }
        layout.Text(10.0f, bottom + NOTE_LINE * (i + 0.5f), text, TextAnchor::start, 11, false, GREY);
    }

    if (figure.panels.empty()) {
        layout.Text(w / 2, (top + bottom) / 2, figure.message, TextAnchor::middle, 14);
        return scene;
    }
    const std::size_t count = figure.panels.size();
    const float h = std::max(bottom - top, 1.0f);
    const bool sideBySide = w >= h;
    const bool overlay = !figure.legend.empty();
    for (std::size_t i = 0; i < count; ++i) {
        SceneBox box{0.0f, top, w, h};
        if (sideBySide) {
            box.width = w / static_cast<float>(count);
            box.x = box.width * static_cast<float>(i);
        } else {
            box.height = h / static_cast<float>(count);
            box.y = top + box.height * static_cast<float>(i);
        }
        layout.Panel(figure.panels[i], box, overlay);
    }
    return scene;
}
