// quillmere-bench-generate: deterministic benchmark inputs shaped like the
// instruments' files (CR LF line ends, the usual headers).
//
// The numbers are chosen so that a double-precision awk script prints the
// same six decimals as the single-precision converter: every value is either
// exactly representable as a 32-bit float, or smaller than 8 in magnitude
// with at most six decimals after scaling, so that the float's rounding error
// (at most 2.4e-7 there) never reaches a rounding boundary of "%f".
//
//   quillmere-bench-generate eis ROWS SEED PATH    one impedance export
//   quillmere-bench-generate iv POINTS SEED PATH   one current-voltage sweep
//   quillmere-bench-generate batch DIR             500 exports of 60 rows and
//                                                  500 sweeps of 2,000 points
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int BATCH_FILES_PER_KIND = 500;
constexpr long BATCH_EIS_ROWS = 60;
constexpr long BATCH_IV_POINTS = 2000;
constexpr std::size_t OUTPUT_BUFFER = 1 << 20;
constexpr double PI = 3.14159265358979323846;

// Frequencies per decade of an impedance sweep, and its decades (100 kHz to 0.1 Hz).
constexpr int STEPS_PER_DECADE = 10;
constexpr int DECADES = 6;
constexpr int SWEEP_STEPS = STEPS_PER_DECADE * DECADES + 1;

// Steps of 0.1 mV from one turning point of a voltammetry sweep to the other.
constexpr long HALF_SWEEP_STEPS = 10000;

// splitmix64: small, fast and the same on every machine.
class CRandom {
public:
    explicit CRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [-1, 1).
    double Symmetric() { return static_cast<double>(Next() >> 11) * 0x1.0p-52 - 1.0; }

private:
    std::uint64_t m_state;
};

// Appends text to one output line.
class CLine {
public:
    void Clear() { m_used = 0; }
    void Text(const char* text)
    {
        std::size_t length = std::strlen(text);
        std::memcpy(m_buffer + m_used, text, length);
        m_used += length;
    }
    void Char(char c) { m_buffer[m_used++] = c; }
    void Integer(long value) { m_used = Put(std::to_chars(Here(), End(), value)); }
    // Shortest text that reads back as `value`; exact for the quantised values.
    void Shortest(double value) { m_used = Put(std::to_chars(Here(), End(), value)); }
    void Fixed(double value, int decimals)
    {
        m_used = Put(std::to_chars(Here(), End(), value, std::chars_format::fixed, decimals));
    }
    // "d.dddE-XX", the exponent letter in upper case as the instruments write it.
    void Scientific(double value, int decimals)
    {
        char* start = Here();
        m_used = Put(std::to_chars(start, End(), value, std::chars_format::scientific, decimals));
        for (char* p = start; p < Here(); ++p) {
            if (*p == 'e') {
                *p = 'E';
            }
        }
    }
    void EndLine() { Text("\r\n"); }
    void WriteTo(std::FILE* out) const { std::fwrite(m_buffer, 1, m_used, out); }

private:
    char* Here() { return m_buffer + m_used; }
    char* End() { return m_buffer + sizeof m_buffer; }
    std::size_t Put(std::to_chars_result result) { return static_cast<std::size_t>(result.ptr - m_buffer); }

    char m_buffer[512];
    std::size_t m_used = 0;
};

// Rounds `value` so that float and double print the same six decimals: to
// 1/64 (exact in a float) from 8 up, to four decimals below.
double Quantise(double value)
{
    if (std::fabs(value) >= 8.0) {
        return std::nearbyint(value * 64.0) / 64.0;
    }
    return std::nearbyint(value * 1e4) / 1e4;
}

// Frequency of step `step` of a sweep from 100 kHz down, rounded like Quantise
// but to whole hertz above 1 kHz, as the instruments' sweep tables are.
double SweepFrequency(int step)
{
    double f = std::pow(10.0, 5.0 - static_cast<double>(step) / STEPS_PER_DECADE);
    return f >= 1000.0 ? std::nearbyint(f) : Quantise(f);
}

std::FILE* OpenOutput(const std::string& path)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::setvbuf(out, nullptr, _IOFBF, OUTPUT_BUFFER);
    return out;
}

void CloseOutput(std::FILE* out, const std::string& path)
{
    if (std::fclose(out) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

const char* const EIS_HEADER =
    "Point,Time (s),Technique,Cycle,E (V),I (A),Frequency (Hz),|Z| (Ohm),Phase (deg),Z' (Ohm),Z'' (Ohm)\r\n";

// The cell of one impedance row: a Randles circuit with a series inductance,
// whose charge-transfer resistance drifts over the cycles of a long-term test.
struct CCell {
    double rs;
    double rct;
    double capacitance;
    double inductance;
};

void WriteEisRow(CLine& line, long row, double time, const CCell& cell, CRandom& random)
{
    const int step = static_cast<int>(row % SWEEP_STEPS);
    const long cycle = row / SWEEP_STEPS + 1;
    const double f = SweepFrequency(step);
    const double w = 2.0 * PI * f;
    const double wrc = w * cell.rct * cell.capacitance;
    const double noise = 1.0 + 5e-4 * random.Symmetric();
    const double real = Quantise((cell.rs + cell.rct / (1.0 + wrc * wrc)) * noise);
    const double imaginary = Quantise((w * cell.inductance - cell.rct * wrc / (1.0 + wrc * wrc)) * noise);
    line.Clear();
    line.Integer(row + 1);
    line.Char(',');
    line.Fixed(time, 4);
    line.Text(",PEIS,");
    line.Integer(cycle);
    line.Char(',');
    line.Fixed(0.25 + 1e-5 * random.Symmetric(), 7);
    line.Char(',');
    line.Scientific(2e-9 * random.Symmetric(), 4);
    line.Char(',');
    line.Shortest(f);
    line.Char(',');
    line.Fixed(std::hypot(real, imaginary), 6);
    line.Char(',');
    line.Fixed(std::atan2(imaginary, real) * 180.0 / PI, 4);
    line.Char(',');
    line.Shortest(real);
    line.Char(',');
    line.Shortest(imaginary);
    line.EndLine();
}

void GenerateEis(long rows, std::uint64_t seed, const std::string& path)
{
    CRandom random(seed * 2 + 1);
    std::FILE* out = OpenOutput(path);
    std::fputs(EIS_HEADER, out);
    CLine line;
    CCell cell{12.0 + random.Symmetric(), 85.0, 20e-6, 1e-6};
    double time = 0.0;
    for (long row = 0; row < rows; ++row) {
        const long cycle = row / SWEEP_STEPS;
        cell.rct =
            85.0 * (1.0 + 0.3 * std::sin(static_cast<double>(cycle) / 50.0 + static_cast<double>(seed)));
        WriteEisRow(line, row, time, cell, random);
        line.WriteTo(out);
        time += std::fmax(1.0 / SweepFrequency(static_cast<int>(row % SWEEP_STEPS)), 0.05) + 0.125;
    }
    CloseOutput(out, path);
}

// The potential of a triangular sweep between -0.5 V and 0.5 V, in steps of 0.1 mV.
double SweepPotential(long point)
{
    const long phase = point % (2 * HALF_SWEEP_STEPS);
    long steps = phase - HALF_SWEEP_STEPS / 2;  // from -0.5 V up
    if (phase >= HALF_SWEEP_STEPS) {
        steps = 3 * HALF_SWEEP_STEPS / 2 - phase;  // and back down
    }
    return static_cast<double>(steps) / 1e4;
}

// A current (A) on a grid of 1 nA with at most five significant digits and
// below 4 mA, so that times -1000 it has at most six decimals and stays small.
double GridCurrent(double amperes)
{
    double nano = std::nearbyint(amperes * 1e9);
    nano = std::fmax(std::fmin(nano, 3.9e6), -3.9e6);
    for (double unit = 1e5; unit <= 1e6; unit *= 10.0) {
        if (std::fabs(nano) >= unit) {
            nano = std::nearbyint(nano / (unit / 1e4)) * (unit / 1e4);
        }
    }
    return nano * 1e-9;
}

void WriteIvHeader(std::FILE* out, long points, std::uint64_t seed)
{
    // A binary record header with zero bytes, then key=value lines with a
    // micro sign, an empty line and the data section.
    static const char RECORD[] = {0, 0, 0, 0x17, 0x01, 0, 0};
    std::fwrite(RECORD, 1, sizeof RECORD, out);
    std::fprintf(out,
                 "[Measurement]\r\n"
                 "format=idf 3\r\n"
                 "instrument=PX-240 bipotentiostat\r\n"
                 "serial=PX240-%04u\r\n"
                 "operator=lab3\r\n"
                 "starttime=14/05/2025 10:%02u:17\r\n"
                 "Method=Cyclic voltammetry\r\n"
                 "Title=bench_%llu CV\r\n"
                 "E start=-0.5\r\n"
                 "E vertex=0.5\r\n"
                 "scan rate=0.05\r\n"
                 "current range=1 m\xB5"
                 "A\r\n"
                 "electrode=platinum disc, 2 mm\r\n"
                 "\r\n"
                 "[Data]\r\n"
                 "primary_data\r\n"
                 "3\r\n"
                 "%ld\r\n",
                 static_cast<unsigned>(seed % 10000), static_cast<unsigned>(seed % 60),
                 static_cast<unsigned long long>(seed), points);
}

void GenerateIv(long points, std::uint64_t seed, const std::string& path)
{
    CRandom random(seed * 2);
    std::FILE* out = OpenOutput(path);
    WriteIvHeader(out, points, seed);
    CLine line;
    const double scale = 1e-7 * (1.0 + 0.2 * random.Symmetric());
    for (long point = 0; point < points; ++point) {
        const double e = SweepPotential(point);
        const double current = scale * (std::exp(e / 0.06) - std::exp(-e / 0.07)) + 2e-8 * random.Symmetric();
        line.Clear();
        line.Scientific(e, 6);
        line.Text("  ");
        line.Scientific(GridCurrent(current), 5);
        line.Text("  ");
        line.Fixed(static_cast<double>(point) / 64.0, 6);
        line.EndLine();
        line.WriteTo(out);
    }
    std::fputs("[Stop]\r\nendtime=14/05/2025 18:02:44\r\nstatus=finished\r\n", out);
    CloseOutput(out, path);
}

void GenerateBatch(const std::string& dir)
{
    char name[64];
    for (int i = 0; i < BATCH_FILES_PER_KIND; ++i) {
        std::snprintf(name, sizeof name, "/eis_%04d.csv", i);
        GenerateEis(BATCH_EIS_ROWS, 1000 + static_cast<std::uint64_t>(i), dir + name);
        std::snprintf(name, sizeof name, "/sweep_%04d.idf", i);
        GenerateIv(BATCH_IV_POINTS, 2000 + static_cast<std::uint64_t>(i), dir + name);
    }
}

int Usage()
{
    std::fputs(
        "usage: quillmere-bench-generate eis ROWS SEED PATH\n"
        "       quillmere-bench-generate iv POINTS SEED PATH\n"
        "       quillmere-bench-generate batch DIR\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string kind = argc > 1 ? argv[1] : "";
    if (kind == "batch" && argc == 3) {
        GenerateBatch(argv[2]);
        return 0;
    }
    if ((kind == "eis" || kind == "iv") && argc == 5) {
        const long count = std::atol(argv[2]);
        const std::uint64_t seed = std::strtoull(argv[3], nullptr, 10);
        if (kind == "eis") {
            GenerateEis(count, seed, argv[4]);
        } else {
            GenerateIv(count, seed, argv[4]);
        }
        return 0;
    }
    return Usage();
}
