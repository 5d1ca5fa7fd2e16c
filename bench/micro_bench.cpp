// Micro-benchmarks of the engine's inner loops: the control-byte filter, the
// field splitter, number reading and number writing, and line reading.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/field_splitter.h"
#include "engine/filter.h"
#include "engine/numbers.h"
#include "fileio/line_file.h"

namespace {

// A typical row of an impedance export and a typical line of a sweep.
constexpr const char* EIS_ROW =
    "4711,18234.125,PEIS,78,0.250003,-1.234e-09,1258.875,97.8621,-12.345,96.984375,-20.921875";
constexpr const char* IV_LINE = "-4.0120E-01  -2.6995E-04  1250.40625";

// Field texts of every shape the exports use.
const std::vector<std::string> FIELD_TEXTS = {"1e+05",     "79433", "1258.875", "0.1259", "96.984375",
                                              "-42.40625", "5e-04", "-0.0796",  "12",     "0.000E+00"};

// Makes a scratch directory that is removed with everything in it at exit.
class CScratchDir {
public:
    CScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmere-micro-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~CScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(const char* name) const { return (std::filesystem::path(m_path) / name).string(); }

private:
    std::string m_path;
};

const CScratchDir& Scratch()
{
    static const CScratchDir dir;
    return dir;
}

// Writes `lines` CR LF lines of `text` into `path`; returns the byte count.
std::size_t WriteLines(const std::string& path, const char* text, int lines)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::size_t bytes = 0;
    for (int i = 0; i < lines; ++i) {
        bytes += static_cast<std::size_t>(std::fprintf(out, "%s\r\n", text));
    }
    std::fclose(out);
    return bytes;
}

void BM_FilterControlBytes(benchmark::State& state)
{
    const std::string input = Scratch().File("filter-input.csv");
    const std::string work = Scratch().File("filter-work");
    const std::size_t bytes = WriteLines(input, EIS_ROW, 100000);
    for (auto _ : state) {
        FilterControlBytes(input.c_str(), work.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FilterControlBytes)->Unit(benchmark::kMillisecond);

void BM_ReadLine(benchmark::State& state)
{
    const std::string path = Scratch().File("lines.txt");
    const std::size_t bytes = WriteLines(path, EIS_ROW, 100000);
    CString line;
    for (auto _ : state) {
        CLineFile file;
        file.Open(path.c_str(), OPEN_READ);
        while (file.ReadLine(line)) {
            benchmark::DoNotOptimize(line.c_str());
        }
        file.Close();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadLine)->Unit(benchmark::kMillisecond);

// One line without a line feed, read whole: the time must grow linearly
// with its length (the complexity fit printed at the end says so).
void BM_ReadLongLine(benchmark::State& state)
{
    const std::string path = Scratch().File("long-line.txt");
    const std::size_t length = static_cast<std::size_t>(state.range(0));
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        const std::string piece(1 << 16, 'x');
        for (std::size_t written = 0; written < length; written += piece.size()) {
            std::fwrite(piece.data(), 1, std::min(piece.size(), length - written), out);
        }
        std::fclose(out);
    }
    for (auto _ : state) {
        // A fresh string each time: every size pays for growing it, as the
        // first long line of a file does (otherwise only the largest size,
        // run once, would).
        CString line;
        CLineFile file;
        file.Open(path.c_str(), OPEN_READ);
        file.ReadLine(line);
        benchmark::DoNotOptimize(line.GetLength());
        file.Close();
    }
    state.SetComplexityN(static_cast<std::int64_t>(length));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * length));
}
BENCHMARK(BM_ReadLongLine)
    ->RangeMultiplier(8)
    ->Range(1 << 17, 1 << 26)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_SplitRow(benchmark::State& state)
{
    CFieldSplitter splitter;
    const CString row = EIS_ROW;
    CString fields[11];
    for (auto _ : state) {
        benchmark::DoNotOptimize(splitter.Split(row, ',', fields, 11));
    }
}
BENCHMARK(BM_SplitRow);

void BM_ParseFloat(benchmark::State& state)
{
    float value = 0.0f;
    std::size_t i = 0;
    for (auto _ : state) {
        ParseFloat(FIELD_TEXTS[i].c_str(), value);
        benchmark::DoNotOptimize(value);
        i = i + 1 == FIELD_TEXTS.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_ParseFloat);

void BM_ParseFloatTriple(benchmark::State& state)
{
    float a = 0.0f, b = 0.0f, c = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseFloatTriple(IV_LINE, a, b, c));
    }
}
BENCHMARK(BM_ParseFloatTriple);

void BM_ParseCount(benchmark::State& state)
{
    int count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseCount("1000000", count));
    }
}
BENCHMARK(BM_ParseCount);

void BM_FormatNumberLine(benchmark::State& state)
{
    char text[NUMBER_LINE_CAPACITY];
    // What the converters pass: 32-bit values widened, the current times -1000.
    const double values[][3] = {{1258.875, 96.984375, 20.921875},
                                {0.1259f, 12.0001f, -0.0796f},
                                {-0.4012f, static_cast<double>(-1.2284e-4f) * -1000.0, 1250.40625}};
    std::size_t i = 0;
    for (auto _ : state) {
        const double* v = values[i];
        benchmark::DoNotOptimize(FormatNumberLine(text, sizeof text, ' ', v[0], v[1], v[2]));
        i = i + 1 == 3 ? 0 : i + 1;
    }
}
BENCHMARK(BM_FormatNumberLine);

// The same values in the scientific form, and what the C runtime takes for it.
void BM_FormatNumberLineScientific(benchmark::State& state)
{
    char text[NUMBER_LINE_CAPACITY];
    const double values[][3] = {{1258.875, 96.984375, 20.921875},
                                {0.1259f, 12.0001f, -0.0796f},
                                {-0.4012f, static_cast<double>(-1.2284e-10f) * -1000.0, 1250.40625}};
    std::size_t i = 0;
    for (auto _ : state) {
        const double* v = values[i];
        benchmark::DoNotOptimize(
            FormatNumberLine(text, sizeof text, ' ', NumberForm::scientific, v[0], v[1], v[2]));
        i = i + 1 == 3 ? 0 : i + 1;
    }
}
BENCHMARK(BM_FormatNumberLineScientific);

void BM_SnprintfScientificLine(benchmark::State& state)
{
    char text[NUMBER_LINE_CAPACITY];
    const double values[][3] = {{1258.875, 96.984375, 20.921875},
                                {0.1259f, 12.0001f, -0.0796f},
                                {-0.4012f, static_cast<double>(-1.2284e-10f) * -1000.0, 1250.40625}};
    std::size_t i = 0;
    for (auto _ : state) {
        const double* v = values[i];
        benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%.6e %.6e %.6e\n", v[0], v[1], v[2]));
        i = i + 1 == 3 ? 0 : i + 1;
    }
}
BENCHMARK(BM_SnprintfScientificLine);

}  // namespace
