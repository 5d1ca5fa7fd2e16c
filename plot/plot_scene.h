// A figure laid out at one size: everything to draw, in pixels, with the
// long series already thinned. The dialog's window and the SVG writer draw
// the same scene, so a preview and a plot file show the same thing.
#pragma once

#include <string>
#include <vector>

#include "plot/plot_figure.h"
#include "plot/plot_thinning.h"

enum class TextAnchor { start, middle, end };

struct SceneText {
    float x = 0.0f;
    float y = 0.0f;  // the middle of the text's height
    std::string text;
    TextAnchor anchor = TextAnchor::middle;
    bool vertical = false;  // read from bottom to top
    int size = 12;          // height in pixels
    bool bold = false;
    PlotColour colour{0, 0, 0};
};

struct SceneLine {
    float x0, y0, x1, y1;
    bool grid = false;  // a faint line across the plot area, else a tick or rule
};

struct SceneBox {
    float x, y, width, height;
};

// One series: the runs of its line and how it is drawn.
struct ScenePath {
    std::string name;
    PlotColour colour{0, 0, 0};
    bool dashed = false;
    // Few points get a mark each, so a short spectrum shows its frequencies.
    bool markers = false;
    PixelRuns line;
};

struct Scene {
    int width = 0;
    int height = 0;
    std::vector<SceneBox> plotAreas;
    std::vector<SceneLine> lines;
    std::vector<SceneText> texts;
    std::vector<ScenePath> paths;
};

// Series of at most this many points get markers.
inline constexpr std::size_t MARKER_LIMIT = 60;

// Lays `figure` out in `width` x `height` pixels: title and legend at the
// top, the panels side by side when the box is wider than high and one
// above the other otherwise, the notes at the bottom. Every series gets one
// path, thinned to at most four points per pixel column and pass.
Scene LayoutFigure(const PlotFigure& figure, int width, int height);
