// What a plot shows, before it has a size: the panels of a figure, their
// axes and the series drawn in them, made from the rows of one or more
// converted files. Impedance gives a Nyquist panel and a Bode panel; a
// sweep gives its second column against its first, and both against the
// row number.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/row_columns.h"
#include "plot/plot_axis.h"

// The column of a series that gives the row number (1, 2, ...) instead of a value.
inline constexpr int ROW_NUMBER = -1;

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
};

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
