// Thinning of long series for drawing. A line through a million points
// draws no differently from one through the few that decide each pixel
// column: where the line enters it, where it leaves it, and its lowest and
// highest point there. Those four are kept, in the order of the samples,
// for each pass of the line through a column, so a spike, a cycle that
// comes back over the same columns and the end points all stay.
#pragma once

#include <vector>

struct PlotPixel {
    float x = 0.0f;
    float y = 0.0f;
};

// What a series becomes on screen: runs of points, each drawn as one line;
// the line breaks between runs (where a point could not be shown).
struct PixelRuns {
    std::vector<std::vector<PlotPixel>> runs;
    // Passes made: a pass is a stretch of the line that moves through the
    // pixel columns in one direction; each run starts one.
    long long passes = 0;
    // Points taken in, and points kept over all runs.
    long long pointsIn = 0;
    long long pointsKept = 0;
};

// Takes the points of one series in sample order, already in pixels, and
// keeps at most four of them per pixel column and pass: the first, the
// last, the lowest and the highest, in sample order.
class CPixelThinner {
public:
    explicit CPixelThinner(PixelRuns& out) : m_out(out) {}
    ~CPixelThinner() { Finish(); }
    CPixelThinner(const CPixelThinner&) = delete;
    CPixelThinner& operator=(const CPixelThinner&) = delete;

    // The next point; both coordinates must be finite.
    void Add(float x, float y);
    // The line breaks here: the next point starts a new run.
    void Break();
    // Ends the last run; Add may not follow.
    void Finish() { Break(); }

private:
    struct Kept {
        long long index = 0;
        PlotPixel at;
    };
    void EmitColumn();
    void Emit(const PlotPixel& at);

    PixelRuns& m_out;
    bool m_inRun = false;
    long long m_index = 0;
    long long m_column = 0;
    int m_direction = 0;  // +1 or -1 once the pass has moved, 0 before
    Kept m_first;
    Kept m_last;
    Kept m_lowest;
    Kept m_highest;
};
