// What a plot shows, before it has a size: the panels of a figure, their
// axes and the series drawn in them, made from the rows of one or more
// converted files. Impedance gives a Nyquist panel and a Bode panel; a
// sweep gives its second column against its first, and both against the
// row number.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/row_columns.h"
#include "plot/plot_axis.h"
#include "plot/plot_thinning.h"

// The column of a series that gives the row number (1, 2, ...) instead of a value.
inline constexpr int ROW_NUMBER = -1;

// A series thinned once, on a fine grid over its own data, so that every
// later drawing of it (at whatever size, after every resize) starts from a
// few thousand rows rather than from all of them. The grid is finer than
// any plot area a screen holds.
inline constexpr int SKETCH_GRID = 1024;
struct SeriesSketch {
    // The extents of the rows that both axes can show.
    DataExtent x;
    DataExtent y;
    // The rows kept, in order, and one past the last of each run: the
    // line breaks between runs.
    std::vector<std::uint32_t> rows;
    std::vector<std::uint32_t> runEnds;
    // Where each kept row lies on the grid. Grid coordinates are linear in
    // the axes' own terms (the logarithm on a log axis): an axis value is
    // low + coordinate / factor, so a drawing needs no logarithm again.
    std::vector<PlotPixel> grid;
    double xLow = 0.0;
    double xFactor = 0.0;
    double yLow = 0.0;
    double yFactor = 0.0;
};

struct PlotSeries;
// The sketch of `series` for axes of scales `x` and `y`: a row that either
// axis cannot show breaks the line.
SeriesSketch SketchSeries(const PlotSeries& series, AxisScale x, AxisScale y);

struct PlotSeries {
    std::string name;  // the file it comes from
    std::shared_ptr<const RowColumns> rows;
    int xColumn = 0;  // 0, 1, 2 for first, second, third, or ROW_NUMBER
    int yColumn = 1;
    bool rightAxis = false;
    int colour = 0;  // index into the palette
    bool dashed = false;
    // What the y column's values are multiplied by to give the axis's unit.
    double yScale = 1.0;
    // Made by BuildFigure; a series without one is sketched when laid out.
    std::shared_ptr<const SeriesSketch> sketch = nullptr;
};

// The value of row `row` of `series` on each axis (the y value scaled).
double SeriesX(const PlotSeries& series, std::size_t row);
double SeriesY(const PlotSeries& series, std::size_t row);

struct PlotPanel {
    std::string heading;  // "Nyquist", "Bode"
    AxisQuantity x;
    AxisQuantity left;
    std::optional<AxisQuantity> right;
    // One unit is as long on the x axis as on the left axis (both linear).
    bool equalScale = false;
    std::vector<PlotSeries> series;
};

struct LegendEntry {
    std::string name;
    int colour = 0;
};

struct PlotFigure {
    std::string title;
    std::vector<PlotPanel> panels;
    // Only when more than one file is shown.
    std::vector<LegendEntry> legend;
    // Said in place of the panels when there is nothing to draw: "No data: ...".
    std::string message;
    // Points that could not be shown, file by file.
    std::vector<std::string> notes;
};

// What the rows of a file are.
enum class PlotKind { sweep, impedance };

// One converted file as a figure takes it.
struct PlotSource {
    std::string name;  // the file's name with its extension
    PlotKind kind = PlotKind::sweep;
    // The rows; null or empty when the file gave none.
    std::shared_ptr<const RowColumns> rows;
    // Why there is nothing to show, in plain words; empty when there are rows.
    std::string problem;
    // The area the values are scaled by; 1 leaves the area out of the units.
    float area = 1.0f;
    // What else the figure should say about the file.
    std::vector<std::string> notes;
};

// The palette: a colour for each series or file, by index (wrapping).
struct PlotColour {
    unsigned char red, green, blue;
};
PlotColour PaletteColour(int index);

// The figure for `sources`, all of one kind (the kind of the first that
// has rows; files of another kind are named in the notes and left out).
// Files without rows are named in the notes; when none has rows the figure
// holds only the message.
PlotFigure BuildFigure(const std::vector<PlotSource>& sources);

// A point the figure's views cannot show, counted for the notes.
struct LeftOutCounts {
    long long notFinite = 0;  // rows with a value that is not a finite number
    long long notOnLog = 0;   // rows with f <= 0 or |Z| <= 0 (impedance only)
};
LeftOutCounts CountLeftOut(const PlotSource& source);
