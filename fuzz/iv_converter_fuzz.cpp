// Fuzz target: the current-voltage converter on arbitrary work-file bytes.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "engine/iv_converter.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"

namespace {

using fuzzsupport::Check;

// The point count of a well-formed work file: the line two after the first
// that holds "primary_data", read as "%d" does (0 when there is none), and
// how many lines follow it.
struct ModelSweep {
    long count = 0;
    long linesAfter = 0;
};

ModelSweep ModelPointCount(const std::string& work)
{
    const std::vector<std::string> lines = fuzzsupport::WorkLines(work);
    std::size_t next = 0;
    while (next < lines.size() && lines[next++].find("primary_data") == std::string::npos) {
    }
    next += 1;  // the line after the marker
    if (next >= lines.size()) return {};
    const long count = std::strtol(lines[next].c_str(), nullptr, 10);
    return {std::clamp<long>(count, INT_MIN, INT_MAX), static_cast<long>(lines.size() - next - 1)};
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
    fuzzsupport::CheckNumberLines(output, ',', "current-voltage output");
    if (fuzzsupport::IsFilterOutput(work)) {
        // One output line per counted point that the file holds.
        const ModelSweep sweep = ModelPointCount(work);
        const long count = sweep.count;
        if (!raised)
            Check(result == (count > 0 ? 0 : NO_POINTS),
                  "result " + std::to_string(result) + " for count " + std::to_string(count));
        const long lines = static_cast<long>(fuzzsupport::CountLines(output));
        const long expected = raised ? 0 : std::min(std::max(count, 0L), sweep.linesAfter);
        Check(lines == expected, std::to_string(lines) + " output lines for count " + std::to_string(count) +
                                     " and " + std::to_string(sweep.linesAfter) + " lines");
    }
    Check(fuzzsupport::ReadBytes(workPath) == work, "the work file was changed");
    Check(scene.Messages() == 0, "the current-voltage converter showed a message");
    scene.CheckDescriptors();
    return 0;
}

QUILLMERE_FUZZ_ENTRY(FuzzIvConverter);
