// Thinning of long series for drawing. A line through a million points
// draws no differently from one through the few that decide each pixel
// column: where the line enters it, where it leaves it, and its lowest and
// highest point there. Those four are kept, in the order of the samples,
// for each pass of the line through a column, so a spike, a cycle that
// comes back over the same columns and the end points all stay.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct PlotPixel {
    float x = 0.0f;
    float y = 0.0f;
};

// What a series becomes on screen: runs of points, each drawn as one line;
// the line breaks between runs (where a point could not be shown).
// The points of all runs lie in one array, so that a line broken a
// thousand times costs no thousand allocations.
struct PixelRuns {
    // Every point kept, run after run, and the sample number of each.
    std::vector<PlotPixel> points;
    std::vector<std::uint32_t> samples;
    // One past the last point of each run.
    std::vector<std::uint32_t> runEnds;
    // Passes made: a pass is a stretch of the line that moves through the
    // pixel columns in one direction; each run of the input starts one.
    long long passes = 0;
    // Points taken in.
    long long pointsIn = 0;

    std::size_t RunCount() const { return runEnds.size(); }
    std::span<const PlotPixel> Run(std::size_t run) const
    {
        const std::size_t begin = run == 0 ? 0 : runEnds[run - 1];
        return {points.data() + begin, runEnds[run] - begin};
    }
    std::span<const std::uint32_t> RunSamples(std::size_t run) const
    {
        const std::size_t begin = run == 0 ? 0 : runEnds[run - 1];
        return {samples.data() + begin, runEnds[run] - begin};
    }
    long long PointsKept() const { return static_cast<long long>(points.size()); }

    // A new run; Append adds to the last one.
    void StartRun() { runEnds.push_back(static_cast<std::uint32_t>(points.size())); }
    void Append(const PlotPixel& at, std::uint32_t sample)
    {
        points.push_back(at);
        samples.push_back(sample);
        runEnds.back() = static_cast<std::uint32_t>(points.size());
    }
};

// The pixel segments a series has drawn, so a stretch of line that goes
// over them again (the thousandth cycle of a sweep, the next repeat of a
// spectrum) is not drawn again: it would colour no new pixel. It holds at
// most MOST_SEGMENTS, so that it stays small enough to be quick; segments
// met after that are all taken as new.
class CSegmentSet {
public:
    static constexpr std::size_t MOST_SEGMENTS = 1 << 16;

    // True when the segment from `a` to `b` (either way round, ends rounded
    // to whole pixels) was not in the set; it is from now on, while there is room.
    bool Insert(const PlotPixel& a, const PlotPixel& b);

private:
    void Grow();

    std::vector<unsigned long long> m_slots;
    std::size_t m_count = 0;
    bool m_hasEmptyKey = false;
};

// Takes the points of one series in sample order, already in pixels, and
// keeps at most four of them per pixel column and pass: the first, the
// last, the lowest and the highest, in sample order. A segment between kept
// points that the series has drawn before is left out (the line breaks
// there); the series' last point is always kept.
class CPixelThinner {
public:
    explicit CPixelThinner(PixelRuns& out) : m_out(out) {}
    ~CPixelThinner() { Finish(); }
    CPixelThinner(const CPixelThinner&) = delete;
    CPixelThinner& operator=(const CPixelThinner&) = delete;

    // The next point, sample number `sample` (increasing from call to
    // call); both coordinates must be finite.
    void Add(float x, float y, std::uint32_t sample);
    // The line breaks here: the next point starts a new run.
    void Break() { EndRun(false); }
    // Ends the last run; Add may not follow.
    void Finish() { EndRun(true); }

private:
    struct Kept {
        std::uint32_t index = 0;
        PlotPixel at;
    };
    void EmitColumn();
    void Emit(const Kept& point);
    void Push(const Kept& point);
    void EndRun(bool last);

    PixelRuns& m_out;
    CSegmentSet m_drawn;
    bool m_inRun = false;
    long long m_column = 0;
    int m_direction = 0;  // +1 or -1 once the pass has moved, 0 before
    Kept m_first;
    Kept m_last;
    Kept m_lowest;
    Kept m_highest;
    // The last point that reached Emit in this run, and whether it ends the
    // last run written out (so the next new segment continues from it).
    bool m_hasHeld = false;
    bool m_heldWritten = false;
    int m_runPoints = 0;
    Kept m_held;
};
