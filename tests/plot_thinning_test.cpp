// Thinning of long series: at most four points per pixel column and pass,
// end points, extremes and sample order kept.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "plot/plot_thinning.h"

namespace {

struct Sample {
    float x;
    float y;
    bool breakBefore = false;
};

struct ThinCase {
    const char* name;
    std::function<std::vector<Sample>()> make;
    long long passes;
    std::size_t breaks;  // the line's runs are at least the stretches between breaks
    long long mostKept;
};

std::vector<Sample> Sine(int count, float columns)
{
    std::vector<Sample> samples;
    for (int i = 0; i < count; ++i) {
        const float x = columns * static_cast<float>(i) / static_cast<float>(count);
        samples.push_back({x, 100.0f + 80.0f * std::sin(static_cast<float>(i) * 0.001f)});
    }
    return samples;
}

std::vector<Sample> Spikes()
{
    std::vector<Sample> samples;
    for (int i = 0; i < 100000; ++i) {
        float y = 50.0f;
        if (i == 31337) {
            y = 0.0f;
        } else if (i == 77777) {
            y = 100.0f;
        }
        samples.push_back({static_cast<float>(i) / 1000.0f, y});
    }
    return samples;
}

// A cyclic sweep: three times up across 100 columns and down again.
std::vector<Sample> Cycles()
{
    std::vector<Sample> samples;
    for (int cycle = 0; cycle < 3; ++cycle) {
        for (int i = 0; i < 20000; ++i) {
            const float t = static_cast<float>(i) / 20000.0f;
            const float x = t < 0.5f ? t * 2 * 99.9f : (1 - t) * 2 * 99.9f;
            samples.push_back({x, 50.0f + 40.0f * std::sin(t * 6.2831853f) + static_cast<float>(cycle)});
        }
    }
    return samples;
}

// One cycle, drawn a thousand times over: after the first, no segment is new.
std::vector<Sample> Repeats()
{
    std::vector<Sample> samples;
    for (int cycle = 0; cycle < 1000; ++cycle) {
        for (int i = 0; i < 200; ++i) {
            const float x = i < 100 ? static_cast<float>(i) : static_cast<float>(199 - i);
            samples.push_back({x + 0.5f, i < 100 ? 20.0f + static_cast<float>(i % 7) : 60.0f});
        }
    }
    return samples;
}

std::vector<Sample> FewPerColumn()
{
    std::vector<Sample> samples;
    for (int i = 0; i < 30; ++i) {
        samples.push_back({static_cast<float>(i) / 3.0f, static_cast<float>(i % 7)});
    }
    return samples;
}

std::vector<Sample> Broken()
{
    std::vector<Sample> samples = Sine(1000, 50.0f);
    for (std::size_t i = 0; i < samples.size(); i += 100) {
        samples[i].breakBefore = true;
    }
    return samples;
}

std::vector<Sample> OneColumn()
{
    std::vector<Sample> samples;
    for (int i = 0; i < 1000; ++i) {
        samples.push_back({5.5f, static_cast<float>((i * 37) % 101)});
    }
    return samples;
}

// True when `kept` is `samples` with some left out, order unchanged.
bool IsOrderedSubset(const std::vector<Sample>& samples, const PixelRuns& thinned)
{
    std::size_t at = 0;
    for (std::size_t r = 0; r < thinned.RunCount(); ++r) {
        for (const PlotPixel& point : thinned.Run(r)) {
            while (at < samples.size() && (samples[at].x != point.x || samples[at].y != point.y)) {
                ++at;
            }
            if (at == samples.size()) {
                return false;
            }
            ++at;
        }
    }
    return true;
}

bool Holds(const PixelRuns& thinned, float x, float y)
{
    for (const PlotPixel& point : thinned.points) {
        if (point.x == x && point.y == y) {
            return true;
        }
    }
    return false;
}

TEST(PlotThinningTest, FourPointsPerColumnAndPassKeepEndsExtremesAndOrder)
{
    const ThinCase cases[] = {
        {"a million points over 200 columns", [] { return Sine(1000000, 200.0f); }, 1, 1, 4 * 200},
        {"two one-sample spikes", Spikes, 1, 1, 4 * 100},
        {"three cycles over the same columns", Cycles, 6, 1, 4 * 100 * 6},
        {"one cycle drawn a thousand times", Repeats, 2000, 1, 2 * 100 + 2},
        {"three points per column are all kept", FewPerColumn, 1, 1, 30},
        {"a break every hundred points", Broken, 10, 10, 1000},
        {"every point in one column", OneColumn, 1, 1, 4},
    };
    for (const ThinCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Sample> samples = c.make();
        PixelRuns thinned;
        {
            CPixelThinner thinner(thinned);
            for (std::size_t i = 0; i < samples.size(); ++i) {
                if (samples[i].breakBefore) {
                    thinner.Break();
                }
                thinner.Add(samples[i].x, samples[i].y, static_cast<std::uint32_t>(i));
            }
        }
        EXPECT_EQ(thinned.passes, c.passes);
        EXPECT_GE(thinned.RunCount(), c.breaks);
        EXPECT_EQ(thinned.pointsIn, static_cast<long long>(samples.size()));
        EXPECT_LE(thinned.PointsKept(), c.mostKept);
        EXPECT_EQ(thinned.samples.size(), thinned.points.size());
        EXPECT_EQ(thinned.runEnds.back(), thinned.points.size());
        EXPECT_TRUE(IsOrderedSubset(samples, thinned));

        // End points, and the lowest and highest sample.
        ASSERT_FALSE(thinned.points.empty());
        EXPECT_EQ(thinned.points.front().x, samples.front().x);
        EXPECT_EQ(thinned.points.back().x, samples.back().x);
        EXPECT_EQ(thinned.points.back().y, samples.back().y);
        const auto byY = [](const Sample& a, const Sample& b) { return a.y < b.y; };
        const auto lowest = std::min_element(samples.begin(), samples.end(), byY);
        const auto highest = std::max_element(samples.begin(), samples.end(), byY);
        EXPECT_TRUE(Holds(thinned, lowest->x, lowest->y));
        EXPECT_TRUE(Holds(thinned, highest->x, highest->y));
    }
}

TEST(PlotThinningTest, EachPassOfACycleKeepsItsOwnExtremes)
{
    // The second cycle sits one pixel higher than the first: its top must
    // be drawn too, not only the highest top of all.
    const std::vector<Sample> samples = Cycles();
    PixelRuns thinned;
    {
        CPixelThinner thinner(thinned);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            thinner.Add(samples[i].x, samples[i].y, static_cast<std::uint32_t>(i));
        }
    }
    for (int cycle = 0; cycle < 3; ++cycle) {
        const auto begin = samples.begin() + cycle * 20000;
        const auto top = std::max_element(begin, begin + 20000,
                                          [](const Sample& a, const Sample& b) { return a.y < b.y; });
        EXPECT_TRUE(Holds(thinned, top->x, top->y)) << "cycle " << cycle;
    }
}

}  // namespace
