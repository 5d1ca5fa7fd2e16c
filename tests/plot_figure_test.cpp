// Figures made from converted rows, laid out and written as SVG: the
// panels and axes each kind gets, one path per series within the point
// budget, axis labels, well-formed XML without "nan" or "inf".
#include <algorithm>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plot/plot_figure.h"
#include "plot/plot_scene.h"
#include "plot/svg_writer.h"
#include "support/test_util.h"

namespace {

using testutil::TempDirTest;

const std::string OHM = "\xCE\xA9";
const std::string DOT = "\xC2\xB7";

// An impedance spectrum of a resistor in series with a resistor and a
// capacitor in parallel, as the converter's rows: f, Z' * area, -Z'' * area.
std::shared_ptr<RowColumns> Spectrum(int points, double scale = 1.0)
{
    auto rows = std::make_shared<RowColumns>();
    for (int i = 0; i < points; ++i) {
        const double f = std::pow(10.0, 5.0 - 6.0 * i / std::max(points - 1, 1));
        const std::complex<double> z =
            10.0 + 100.0 / (1.0 + std::complex<double>(0.0, 2 * 3.14159265358979 * f * 100.0 * 1e-5));
        rows->Add(f, z.real() * scale, -z.imag() * scale);
    }
    return rows;
}

// A sweep's rows: a potential ramp, -1000 * current (mA), a third column.
std::shared_ptr<RowColumns> Sweep(int points, double milliamperes = 1.0)
{
    auto rows = std::make_shared<RowColumns>();
    for (int i = 0; i < points; ++i) {
        const double t = static_cast<double>(i) / points;
        const double potential = t < 0.5 ? -0.5 + 2.4 * t : 1.9 - 2.4 * t;
        rows->Add(potential, milliamperes * std::sin(12.0 * t) * (1 + potential), 25.0);
    }
    return rows;
}

PlotSource Source(std::string name, PlotKind kind, std::shared_ptr<RowColumns> rows, float area = 1.0f)
{
    return {std::move(name), kind, std::move(rows), "", area, {}};
}

struct FigureCase {
    const char* name;
    std::function<std::vector<PlotSource>()> sources;
    std::vector<std::string> headings;
    std::size_t series;
    std::vector<std::string> labels;  // axis labels, legend entries, notes, message
    std::size_t notes;
};

const FigureCase FIGURES[] = {
    {"impedance",
     [] { return std::vector<PlotSource>{Source("cell_B_02.csv", PlotKind::impedance, Spectrum(26))}; },
     {"Nyquist", "Bode"},
     3,
     {"cell_B_02.csv", "Z' / " + OHM, "-Z'' / " + OHM, "f / Hz", "|Z| / " + OHM, "-phase / \xC2\xB0"},
     0},
    {"impedance scaled by an area",
     [] {
         return std::vector<PlotSource>{Source("a.csv", PlotKind::impedance, Spectrum(26, 1000.0), 0.196f)};
     },
     {"Nyquist", "Bode"},
     3,
     {"Z' / k" + OHM + DOT + "area", "-Z'' / k" + OHM + DOT + "area", "|Z| / " + OHM + DOT + "area"},
     0},
    {"a million-point sweep",
     [] { return std::vector<PlotSource>{Source("run.idf", PlotKind::sweep, Sweep(1000000))}; },
     {"Sweep", "Against row number"},
     3,
     {"run.idf", "column 1", "-I / mA", "row number / 1000"},
     0},
    {"a microelectrode's sweep in nanoamperes",
     [] { return std::vector<PlotSource>{Source("micro.idf", PlotKind::sweep, Sweep(500, 2e-6), 0.5f)}; },
     {"Sweep", "Against row number"},
     3,
     {"-I / nA/area"},
     0},
    {"two spectra overlaid",
     [] {
         return std::vector<PlotSource>{Source("first.csv", PlotKind::impedance, Spectrum(26)),
                                        Source("second.csv", PlotKind::impedance, Spectrum(40, 2.0))};
     },
     {"Nyquist", "Bode"},
     6,
     {"first.csv, second.csv", "first.csv", "second.csv", "-phase / \xC2\xB0 (dashed)"},
     0},
    {"an overlay leaves out other kinds and files without data",
     [] {
         PlotSource empty = Source("empty.csv", PlotKind::impedance, nullptr);
         empty.problem = "no \"EIS\" row";
         return std::vector<PlotSource>{Source("first.csv", PlotKind::impedance, Spectrum(26)),
                                        Source("sweep.idf", PlotKind::sweep, Sweep(10)), empty};
     },
     {"Nyquist", "Bode"},
     3,
     {"sweep.idf: another kind of data, not shown", "empty.csv: no data (no \"EIS\" row)"},
     2},
    {"a file without data",
     [] {
         PlotSource empty = Source("blank.idf", PlotKind::sweep, nullptr);
         empty.problem = "no \"primary_data\" line";
         return std::vector<PlotSource>{empty};
     },
     {},
     0,
     {"blank.idf", "No data: no \"primary_data\" line"},
     0},
    {"values that are not finite or not on a log axis",
     [] {
         auto rows = Spectrum(26);
         rows->first[3] = NAN;
         rows->second[7] = INFINITY;
         rows->third[8] = -INFINITY;
         rows->first[12] = 0.0;   // f = 0 cannot be on a log axis
         rows->first[13] = -5.0;  // nor can a negative f
         rows->second[20] = 0.0;  // |Z| = 0 cannot either
         rows->third[20] = 0.0;
         return std::vector<PlotSource>{Source("odd.csv", PlotKind::impedance, rows)};
     },
     {"Nyquist", "Bode"},
     3,
     {"odd.csv: 3 points not a finite number, left out (the line breaks there)",
      "odd.csv: 3 points with f or |Z| not above 0, left off the log axes"},
     2},
    {"a name with characters XML reserves and a byte that is no UTF-8",
     [] { return std::vector<PlotSource>{Source("a&b<c>'\"\xFF.csv", PlotKind::impedance, Spectrum(5))}; },
     {"Nyquist", "Bode"},
     3,
     {"a&b<c>'\"\xFF.csv"},
     0},
};

// The number of times `needle` occurs in `text`.
std::size_t Count(const std::string& text, const std::string& needle)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The coordinate pairs of each path's data, in order.
std::vector<long long> PathPoints(const std::string& svg)
{
    std::vector<long long> points;
    for (std::size_t at = svg.find("<path "); at != std::string::npos; at = svg.find("<path ", at + 1)) {
        const std::size_t begin = svg.find(" d=\"", at) + 4;
        const std::string data = svg.substr(begin, svg.find('"', begin) - begin);
        points.push_back(static_cast<long long>(Count(data, ",") - Count(data, "l0,0")));
    }
    return points;
}

TEST(PlotFigureTest, EachKindGetsItsPanelsSeriesAndNotes)
{
    for (const FigureCase& c : FIGURES) {
        SCOPED_TRACE(c.name);
        const PlotFigure figure = BuildFigure(c.sources());
        std::vector<std::string> headings;
        std::size_t series = 0;
        for (const PlotPanel& panel : figure.panels) {
            headings.push_back(panel.heading);
            series += panel.series.size();
        }
        EXPECT_EQ(headings, c.headings);
        EXPECT_EQ(series, c.series);
        EXPECT_EQ(figure.notes.size(), c.notes);
        EXPECT_EQ(figure.panels.empty(), !figure.message.empty());
    }
}

class PlotSvgTest : public TempDirTest {};

TEST_F(PlotSvgTest, OnePathPerSeriesWithinTheBudgetLabelledAndFinite)
{
    for (const FigureCase& c : FIGURES) {
        SCOPED_TRACE(c.name);
        const PlotFigure figure = BuildFigure(c.sources());
        const Scene scene = LayoutFigure(figure, SVG_WIDTH, SVG_HEIGHT);
        const std::string path = PathOf("plot.svg");
        WriteSvgFile(path.c_str(), scene);
        const std::string bytes = testutil::ReadFileBytes(path);
        const std::string svg = SceneSvg(scene);
        EXPECT_EQ(bytes, testutil::Crlf(svg));
        ASSERT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0U);

        EXPECT_LT(bytes.size(), 1000000U);
        EXPECT_EQ(Count(svg, "<path "), c.series);
        ASSERT_EQ(scene.paths.size(), c.series);
        const std::vector<long long> points = PathPoints(svg);
        for (std::size_t i = 0; i < scene.paths.size(); ++i) {
            const PixelRuns& line = scene.paths[i].line;
            EXPECT_EQ(points[i], line.PointsKept());
            // At most four points per pixel column and pass.
            const long long columns = SVG_WIDTH + 1;
            EXPECT_LE(line.PointsKept(), 4 * columns * std::max(line.passes, 1LL));
        }
        for (const std::string& label : c.labels) {
            EXPECT_NE(svg.find(">" + XmlText(label) + "<"), std::string::npos) << label;
        }
        const std::string lower = Lower(svg);
        EXPECT_EQ(lower.find("nan"), std::string::npos);
        EXPECT_EQ(lower.find("inf"), std::string::npos);
    }
}

TEST(SvgWriterTest, TextIsEscapedAndMadeValidUtf8)
{
    EXPECT_EQ(XmlText("Z'' < 5 & \"x\" > 1"), "Z'' &lt; 5 &amp; &quot;x&quot; &gt; 1");
    EXPECT_EQ(XmlText("\xCE\xA9 \xFF \xC3( \xED\xA0\x80 \xF0\x9F\x98\x80 \x01\x7F"),
              "\xCE\xA9 \xEF\xBF\xBD \xEF\xBF\xBD( \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD "
              "\xF0\x9F\x98\x80 \xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(PlotSvgTest, EveryFileIsWellFormedXml)
{
    const std::string xmllint = "xmllint";
    if (std::system((xmllint + " --version >/dev/null 2>&1").c_str()) != 0) {
        GTEST_SKIP() << "xmllint is not installed (scripts/setup installs it)";
    }
    int index = 0;
    for (const FigureCase& c : FIGURES) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf("plot" + std::to_string(index++) + ".svg");
        WriteSvgFile(path.c_str(), LayoutFigure(BuildFigure(c.sources()), SVG_WIDTH, SVG_HEIGHT));
        EXPECT_EQ(std::system((xmllint + " --noout '" + path + "'").c_str()), 0);
    }
}

TEST(SvgWriterTest, ASceneBecomesExactlyThisText)
{
    Scene scene;
    scene.width = 200;
    scene.height = 100;
    scene.plotAreas.push_back({10.0f, 10.0f, 180.0f, 80.0f});
    scene.lines.push_back({10.0f, 50.0f, 190.0f, 50.0f, true});
    scene.lines.push_back({10.0f, 90.0f, 10.0f, 95.0f, false});
    scene.texts.push_back({100.0f, 5.0f, "T & t", TextAnchor::middle, false, 15, true, {0, 0, 0}});
    scene.texts.push_back({4.0f, 50.0f, "y", TextAnchor::end, true, 12, false, {214, 39, 40}});
    ScenePath path;
    path.name = "s";
    path.colour = {31, 119, 180};
    path.dashed = true;
    path.line.StartRun();
    for (const PlotPixel& at : {PlotPixel{10.0f, 90.0f}, PlotPixel{20.25f, 80.0f}, PlotPixel{30.0f, 70.0f}}) {
        path.line.Append(at, 0);
    }
    path.line.StartRun();
    path.line.Append({40.0f, -0.04f}, 0);
    scene.paths.push_back(path);
    path.markers = true;
    path.dashed = false;
    path.line = PixelRuns{};
    path.line.StartRun();
    path.line.Append({1.0f, 2.0f}, 0);
    scene.paths.push_back(path);
    EXPECT_EQ(
        SceneSvg(scene),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\" viewBox=\"0 0 200 100\" "
        "font-family=\"sans-serif\">\n"
        "<rect width=\"200\" height=\"100\" fill=\"#ffffff\"/>\n"
        "<g stroke=\"#e0e0e0\" stroke-width=\"1\">\n"
        "<line x1=\"10.0\" y1=\"50.0\" x2=\"190.0\" y2=\"50.0\"/>\n"
        "</g>\n"
        "<g stroke=\"#000000\" stroke-width=\"1\">\n"
        "<line x1=\"10.0\" y1=\"90.0\" x2=\"10.0\" y2=\"95.0\"/>\n"
        "<rect x=\"10.0\" y=\"10.0\" width=\"180.0\" height=\"80.0\" fill=\"none\"/>\n"
        "</g>\n"
        "<path fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"1.5\" stroke-linejoin=\"round\" "
        "stroke-linecap=\"round\" stroke-dasharray=\"6 4\" d=\"M10.0,90.0 L20.2,80.0 30.0,70.0 "
        "M40.0,-0.0 l0,0\"><title>s</title></path>\n"
        "<path fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"1.5\" stroke-linejoin=\"round\" "
        "stroke-linecap=\"round\" d=\"M1.0,2.0 l0,0\"><title>s</title></path>\n"
        "<g fill=\"#1f77b4\">\n"
        "<circle cx=\"1.0\" cy=\"2.0\" r=\"2.5\"/>\n"
        "</g>\n"
        "<text x=\"100.0\" y=\"5.0\" dy=\"0.35em\" font-size=\"15\" text-anchor=\"middle\" "
        "font-weight=\"bold\">T &amp; t</text>\n"
        "<text x=\"4.0\" y=\"50.0\" dy=\"0.35em\" font-size=\"12\" text-anchor=\"end\" fill=\"#d62728\" "
        "transform=\"rotate(-90 4.0 50.0)\">y</text>\n"
        "</svg>\n");
}

}  // namespace

namespace {

struct SketchCase {
    const char* name;
    int xColumn;
    AxisScale yScale;
};

// A long series with a spike, a dip, a value that is not finite and one a
// log axis cannot show: the sketch keeps the first and last rows, the spike
// and the dip, leaves out what cannot be shown, and breaks the line there.
TEST(PlotSketchTest, KeepsEndsAndExtremesAndBreaksWhereRowsCannotBeShown)
{
    auto rows = std::make_shared<RowColumns>();
    for (int i = 0; i < 200000; ++i) {
        rows->Add(i * 0.001, 5.0 + std::sin(i * 0.0001), 1.0);
    }
    rows->second[70000] = 50.0;   // a spike
    rows->second[120000] = 0.5;   // a dip
    rows->second[5000] = NAN;     // not finite
    rows->second[150000] = -1.0;  // not on a log axis
    const SketchCase cases[] = {
        {"against the row number", ROW_NUMBER, AxisScale::linear},
        {"against the first column", 0, AxisScale::linear},
        {"against the row number on a log axis", ROW_NUMBER, AxisScale::log},
    };
    for (const SketchCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlotSeries series;
        series.rows = rows;
        series.xColumn = c.xColumn;
        series.yColumn = 1;
        const SeriesSketch sketch = SketchSeries(series, AxisScale::linear, c.yScale);
        const auto kept = [&](std::uint32_t row) {
            return std::find(sketch.rows.begin(), sketch.rows.end(), row) != sketch.rows.end();
        };
        EXPECT_LT(sketch.rows.size(), 20000U);
        EXPECT_TRUE(std::is_sorted(sketch.rows.begin(), sketch.rows.end()));
        EXPECT_EQ(sketch.rows.front(), 0U);
        EXPECT_EQ(sketch.rows.back(), 199999U);
        EXPECT_TRUE(kept(70000));
        EXPECT_TRUE(kept(120000));
        EXPECT_FALSE(kept(5000));
        // The rows beside the one left out end and begin a run.
        EXPECT_TRUE(kept(4999));
        EXPECT_TRUE(kept(5001));
        const bool log = c.yScale == AxisScale::log;
        EXPECT_EQ(kept(150000), !log);
        EXPECT_GE(sketch.runEnds.size(), log ? 3U : 2U);
        EXPECT_DOUBLE_EQ(sketch.y.high, 50.0);
        EXPECT_DOUBLE_EQ(sketch.y.low, log ? 0.5 : -1.0);
        EXPECT_EQ(sketch.grid.size(), sketch.rows.size());
    }
}

}  // namespace

namespace {

// Frequencies a decade apart lie equally far apart on the Bode panel, and
// at the pixels an exact logarithm gives: the sketch's quick logarithm is
// off by far less than a tenth of a pixel.
TEST(PlotSketchTest, DecadesLieEquallyApartOnALogAxis)
{
    auto rows = std::make_shared<RowColumns>();
    for (double f : {1e-2, 3e-2, 1e-1, 1.0, 7.0, 10.0, 1e2, 1e3, 1e4, 1e5}) {
        rows->Add(f, 100.0 + f * 1e-3, -5.0);
    }
    const PlotFigure figure = BuildFigure({{"bode.csv", PlotKind::impedance, rows, "", 1.0f, {}}});
    const Scene scene = LayoutFigure(figure, 1000, 460);
    ASSERT_EQ(scene.paths.size(), 3U);
    const PixelRuns& magnitude = scene.paths[1].line;
    ASSERT_EQ(magnitude.points.size(), rows->Size());
    const double perDecade = (magnitude.points[9].x - magnitude.points[3].x) / 5.0;  // 1 Hz to 100 kHz
    for (std::size_t i = 0; i < rows->Size(); ++i) {
        const double expected = magnitude.points[3].x + perDecade * std::log10(rows->first[i]);
        EXPECT_NEAR(magnitude.points[i].x, expected, 0.05) << rows->first[i] << " Hz";
    }
}

}  // namespace
