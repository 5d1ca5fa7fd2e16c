// quillmere-bench-reference: the conversion done the plain way, straight
// from the input file with the C runtime (getc, sscanf, fprintf), for
// checking the fast engine's outputs on the benchmark inputs.
//
//   quillmere-bench-reference INPUT OUTPUT
//
// Same rules as quillmere-convert with its default area of 1.0: the
// control-byte filter (printable runs, one line break per run of other bytes,
// a run of tabs between two printable bytes read as one space), then the
// current-voltage or impedance conversion chosen by the path's marker. No
// work file: the filtered lines are produced on the fly.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr float AREA = 1.0f;
constexpr int FIELDS = 11;

// Lines of the input as the control-byte filter leaves them.
class CFilteredLines {
public:
    explicit CFilteredLines(std::FILE* in) : m_in(in) {}

    // The next line; false when the input holds no further text.
    bool Next(std::string& line)
    {
        line.clear();
        int c;
        bool tabsOnly = true;
        bool inRun = false;
        while ((c = std::getc(m_in)) != EOF) {
            if (c >= 0x20 && c <= 0x7E) {
                if (inRun && !line.empty()) {
                    if (!tabsOnly) {
                        std::ungetc(c, m_in);
                        return true;
                    }
                    line += ' ';
                }
                inRun = false;
                tabsOnly = true;
                line += static_cast<char>(c);
            } else if (!line.empty()) {
                inRun = true;
                tabsOnly = tabsOnly && c == '\t';
            }
        }
        return !line.empty();
    }

private:
    std::FILE* m_in;
};

void WriteLine(std::FILE* out, const char* format, double a, double b, double c)
{
    std::fprintf(out, format, a, b, c);
}

void ConvertIv(CFilteredLines& lines, std::FILE* out)
{
    std::string line;
    while (lines.Next(line)) {
        if (line.find("primary_data") != std::string::npos) {
            break;
        }
    }
    lines.Next(line);  // the line after the marker is not used
    lines.Next(line);  // empty past the end of the input
    int count = 0;
    std::sscanf(line.c_str(), "%d", &count);
    float first = 0, second = 0, third = 0;
    for (int i = 0; i < count; ++i) {
        lines.Next(line);
        std::sscanf(line.c_str(), "%g %g %g", &first, &second, &third);
        second = second / AREA;
        WriteLine(out, "%f,%f,%f\r\n", first, static_cast<double>(second) * -1000.0, third);
    }
}

// Cuts `line` at commas into at most FIELDS fields; a comma at the very end opens no field.
void SplitFields(const std::string& line, std::string (&fields)[FIELDS])
{
    for (std::string& field : fields) {
        field.clear();
    }
    int stored = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size() && stored < FIELDS; ++i) {
        if (line[i] == ',') {
            fields[stored++] = line.substr(start, i - start);
            start = i + 1;
        }
    }
    if (stored < FIELDS && (line.empty() || line.back() != ',')) {
        fields[stored] = line.substr(start);
    }
}

void ConvertEis(CFilteredLines& lines, std::FILE* out)
{
    std::string line;
    std::string fields[FIELDS];
    float frequency = 0, real = 0, imaginary = 0;
    lines.Next(line);  // the column header
    while (lines.Next(line)) {
        SplitFields(line, fields);
        if (fields[2].find("EIS") == std::string::npos) {
            std::fputs("Can't find EIS data in the current file!\n", stderr);
            break;
        }
        std::sscanf(fields[6].c_str(), "%g", &frequency);
        std::sscanf(fields[9].c_str(), "%g", &real);
        std::sscanf(fields[10].c_str(), "%g", &imaginary);
        real = real * AREA;
        imaginary = imaginary * AREA;
        WriteLine(out, "%f %f %f\r\n", frequency, real, static_cast<double>(imaginary) * -1.0);
    }
}

// The marker counts anywhere in the path except at its very start.
bool HasMarker(const char* path, const char* marker)
{
    const char* found = std::strstr(path, marker);
    return found != nullptr && found != path;
}

bool Convert(const char* inputPath, const char* outputPath, void (*convert)(CFilteredLines&, std::FILE*))
{
    std::FILE* in = std::fopen(inputPath, "rb");
    std::FILE* out = std::fopen(outputPath, "wb");
    if (in == nullptr || out == nullptr) {
        std::perror(in == nullptr ? inputPath : outputPath);
        return false;
    }
    CFilteredLines lines(in);
    convert(lines, out);
    std::fclose(in);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: quillmere-bench-reference INPUT OUTPUT\n", stderr);
        return 2;
    }
    std::setlocale(LC_ALL, "C");
    bool ok = true;
    if (HasMarker(argv[1], ".idf")) {
        ok = Convert(argv[1], argv[2], ConvertIv) && ok;
    }
    if (HasMarker(argv[1], ".csv")) {
        ok = Convert(argv[1], argv[2], ConvertEis) && ok;
    }
    return ok ? 0 : 1;
}
