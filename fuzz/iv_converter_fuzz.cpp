// Fuzz target: the current-voltage converter on arbitrary work-file bytes.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/iv_converter.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"

namespace {

using fuzzsupport::Check;

// The point count of a well-formed work file: the line two after the first
// that holds "primary_data", read as "%d" does (0 when there is none), and
// how many of the counted lines that follow it hold a number ("%g" reads
// one): a line of text gives no point.
// A header line "Method=Impedance" (blanks at its end ignored) before the
// marker makes the rows impedance rows.
struct ModelSweep {
    long count = 0;
    long pointLines = 0;
    bool impedance = false;
};

ModelSweep ModelPointCount(const std::string& work)
{
    const std::vector<std::string> lines = fuzzsupport::WorkLines(work);
    std::size_t next = 0;
    bool impedance = false;
    while (next < lines.size() && lines[next].find("primary_data") == std::string::npos) {
        impedance =
            impedance || lines[next].substr(0, lines[next].find_last_not_of(' ') + 1) == "Method=Impedance";
        ++next;
    }
    next += 2;  // past the marker and the line after it
    if (next >= lines.size()) return {0, 0, impedance};
    const long count = std::clamp<long>(std::strtol(lines[next].c_str(), nullptr, 10), INT_MIN, INT_MAX);
    long pointLines = 0;
    for (std::size_t i = next + 1; i < lines.size() && static_cast<long>(i - next - 1) < count; ++i) {
        float value = 0;
        if (std::sscanf(lines[i].c_str(), "%g", &value) == 1) ++pointLines;
    }
    return {count, pointLines, impedance};
}

}  // namespace

int FuzzIvConverter(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::CScene scene(data, size);
    const std::string work(reinterpret_cast<const char*>(data), size);
    const std::string workPath = scene.PathOf("123.xqrtmp");
    const std::string outputPath = scene.PathOf("out.txt");
    fuzzsupport::WriteBytes(workPath, work);

    int result = 0;
    const bool raised =
        fuzzsupport::RaisedAtCap([&] { result = ConvertIvFile(workPath.c_str(), outputPath.c_str()); });

    // An output stopped by a failure never takes the output's name.
    Check(testutil::Exists(outputPath) == !raised,
          raised ? "output under its name after a failure" : "no output after a conversion");
    fuzzsupport::CheckNoUnfinishedFiles();
    const std::string output = raised ? std::string() : fuzzsupport::ReadBytes(outputPath);
    if (!raised) {
        Check(result == 0 || result == NO_POINTS, "result " + std::to_string(result));
        Check(result != NO_POINTS || output.empty(), "a sweep without a point count gives an empty output");
    }
    const bool filtered = fuzzsupport::IsFilterOutput(work);
    const ModelSweep sweep = filtered ? ModelPointCount(work) : ModelSweep{};
    // Where the model does not apply, the form of the first line decides:
    // "%f" never writes a comma.
    const bool impedance = filtered ? sweep.impedance : output.find(',') == std::string::npos;
    fuzzsupport::CheckNumberLines(output, impedance ? ' ' : ',', ".idf output");
    if (filtered) {
        // One output line per counted line with a number that the file holds.
        const long count = sweep.count;
        if (!raised)
            Check(result == (count > 0 ? 0 : NO_POINTS),
                  "result " + std::to_string(result) + " for count " + std::to_string(count));
        const long lines = static_cast<long>(fuzzsupport::CountLines(output));
        const long expected = raised ? 0 : sweep.pointLines;
        Check(lines == expected, std::to_string(lines) + " output lines for count " + std::to_string(count) +
                                     " and " + std::to_string(sweep.pointLines) +
                                     " counted lines with numbers");
    }
    Check(fuzzsupport::ReadBytes(workPath) == work, "the work file was changed");
    Check(scene.Messages() == 0, "the current-voltage converter showed a message");
    scene.CheckDescriptors();
    return 0;
}

QUILLMERE_FUZZ_ENTRY(FuzzIvConverter);
