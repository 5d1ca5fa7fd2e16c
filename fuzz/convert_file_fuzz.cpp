// Fuzz target: the whole per-file path. The first bytes of the input build
// a relative path from pieces that carry the markers; the rest is the file.
#include <string>
#include <vector>

#include "batch/naming.h"
#include "engine/convert_file.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"

namespace {

using fuzzsupport::Check;

// Pieces of the input's path; one byte picks one piece.
constexpr const char* PATH_PIECES[] = {
    "a", "b", "_", ".", "/", ".idf", ".csv", "idf", "csv", "+IV", " ", ".txt", "\\", "7", "cell_A_07", ":",
};
constexpr std::size_t MAX_PIECES = 24;
constexpr std::size_t MAX_DEPTH = 4;

// The pieces joined, cut into folders at '/', without empty, "." and ".."
// folders; never empty.
std::string RelativePath(const std::uint8_t* data, std::size_t count)
{
    std::string joined;
    for (std::size_t i = 0; i < count; ++i) joined += PATH_PIECES[data[i] % std::size(PATH_PIECES)];
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (!part.empty() && part != "." && part != ".." && parts.size() < MAX_DEPTH) parts.push_back(part);
        start = end + 1;
    }
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
    return path.empty() ? "a" : path;
}

// The output path the batch gives the input: its folder and name, "+IV", ".txt".
std::string OutputPathOf(const std::string& input)
{
    CString drive, dir, name, ext;
    SplitPath(input.c_str(), drive, dir, name, ext);
    return std::string(drive.c_str()) + dir.c_str() + name.c_str() + "+IV.txt";
}

}  // namespace

int FuzzConvertFile(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::size_t pieces = std::min<std::size_t>(data[0] % (MAX_PIECES + 1), size - 1);
    fuzzsupport::CScene scene(data, size);
    const std::string input = scene.PathOf("in/") + RelativePath(data + 1, pieces);
    const std::string content(reinterpret_cast<const char*>(data + 1 + pieces), size - 1 - pieces);
    fuzzsupport::WriteBytes(input, content);
    const std::string output = OutputPathOf(input);

    FileOutcome outcome;
    const bool raised = fuzzsupport::RaisedAtCap(
        [&] { Check(ConvertFile(input.c_str(), output.c_str(), outcome) == 0, "result not 0"); });
    const bool marked = HasMarker(input.c_str(), IV_MARKER) || HasMarker(input.c_str(), EIS_MARKER);
    Check(fuzzsupport::ReadBytes(input) == content, "the input was changed");
    Check(raised || !testutil::Exists(scene.PathOf(WORK_FILE_NAME)), "the work file was left behind");
    // An output is renamed into place only when complete: after a failure
    // nothing stands under its name, and no unfinished one beside it.
    Check(testutil::Exists(output) == (marked && !raised),
          !marked ? "output without a marker"
                  : (raised ? "output under its name after a failure" : "no output for a marked path"));
    fuzzsupport::CheckNoUnfinishedFiles();
    if (marked && !raised) {
        // One converter per file: the one whose marker stands last.
        const std::size_t iv = input.rfind(IV_MARKER);
        const std::size_t eis = input.rfind(EIS_MARKER);
        const bool impedance = eis != std::string::npos && (iv == std::string::npos || eis > iv);
        // A ".idf" file whose header names an impedance run is written in the impedance form.
        const bool idfImpedance = !impedance && content.find("Method=Impedance") != std::string::npos;
        Check(outcome.kind == (impedance ? EIS_KIND : IV_KIND) || (idfImpedance && outcome.kind == EIS_KIND),
              "not the converter whose marker stands last");
        fuzzsupport::CheckNumberLines(fuzzsupport::ReadBytes(output), outcome.kind == EIS_KIND ? ' ' : ',',
                                      "output");
    }
    scene.CheckDescriptors();
    return 0;
}

QUILLMERE_FUZZ_ENTRY(FuzzConvertFile);
