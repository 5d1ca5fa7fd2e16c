// Fuzz target: the control-byte filter against a byte-by-byte model.
#include <algorithm>
#include <string>

#include "engine/filter.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"

namespace {

using fuzzsupport::Check;

// An input this long already spans several of the filter's read chunks.
constexpr std::size_t REPEATED_SIZE = 140 * 1000;
constexpr int MAX_REPEATS = 48;

enum class Pending { nothing, space, lineBreak };

// The work file the filter should write for `input`, one byte at a time:
// printable runs, one CR LF for each run of other bytes after text, and one
// space for a run of tabs alone between two printable bytes.
std::string ModelFilter(const std::string& input)
{
    std::string work;
    bool anyText = false;
    Pending pending = Pending::nothing;
    for (unsigned char byte : input) {
        if (byte >= 0x20 && byte <= 0x7E) {
            if (pending == Pending::space)
                work += ' ';
            else if (pending == Pending::lineBreak)
                work += "\r\n";
            work += static_cast<char>(byte);
            pending = Pending::nothing;
            anyText = true;
        } else if (anyText) {
            if (byte != '\t')
                pending = Pending::lineBreak;
            else if (pending == Pending::nothing)
                pending = Pending::space;
        }
    }
    if (pending != Pending::nothing) work += "\r\n";
    return work;
}

// The input's bytes, repeated as often as its first byte says (within a
// bound), so that short inputs also cross the filter's chunk boundaries.
std::string InputOf(const std::uint8_t* data, std::size_t size)
{
    const std::string once(reinterpret_cast<const char*>(data), size);
    const std::size_t fits = size == 0 ? 1 : std::max<std::size_t>(1, REPEATED_SIZE / size);
    const std::size_t repeats = std::min<std::size_t>(size == 0 ? 1 : 1 + data[0] % MAX_REPEATS, fits);
    std::string input;
    for (std::size_t i = 0; i < repeats; ++i) input += once;
    return input;
}

}  // namespace

int FuzzFilter(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::CScene scene(data, size);
    const std::string input = InputOf(data, size);
    const std::string inputPath = scene.PathOf("input.bin");
    const std::string workPath = scene.PathOf("123.xqrtmp");
    fuzzsupport::WriteBytes(inputPath, input);
    Check(FilterControlBytes(inputPath.c_str(), workPath.c_str()), "the filter returned false");
    Check(fuzzsupport::ReadBytes(workPath) == ModelFilter(input), "work file differs from the model");
    Check(fuzzsupport::ReadBytes(inputPath) == input, "the input was changed");
    scene.CheckDescriptors();
    return 0;
}

QUILLMERE_FUZZ_ENTRY(FuzzFilter);
