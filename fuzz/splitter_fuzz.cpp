// Fuzz target: the field splitter against a model of its cutting rule.
#include <string>
#include <vector>

#include "engine/field_splitter.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"

namespace {

using fuzzsupport::Check;

// Capacities from -(FIELD_SLOTS - 1) to FIELD_SLOTS - 1 are tried.
constexpr int FIELD_SLOTS = 24;

// The fields `line` holds when cut at `delimiter`: the text between
// delimiters, and after the last one unless the line ends with it.
std::vector<std::string> ModelFields(const std::string& line, char delimiter)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == delimiter) {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    if (line.empty() || line.back() != delimiter) fields.push_back(line.substr(start));
    return fields;
}

std::string Sentinel(int slot)
{
    return "untouched " + std::to_string(slot);
}

}  // namespace

int FuzzSplitter(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const char delimiter = static_cast<char>(data[0]);
    const int capacity = static_cast<signed char>(data[1]) % FIELD_SLOTS;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    std::vector<CString> fields;
    for (int slot = 0; slot < FIELD_SLOTS; ++slot) fields.emplace_back(Sentinel(slot));
    const CString line(text);
    CFieldSplitter splitter;
    const int stored = splitter.Split(line, delimiter, fields.data(), capacity);

    const std::vector<std::string> expected = ModelFields(text, delimiter);
    const int expectedCount = capacity <= 0 ? 0 : std::min(capacity, static_cast<int>(expected.size()));
    Check(stored == expectedCount,
          "field count " + std::to_string(stored) + ", expected " + std::to_string(expectedCount));
    for (int slot = 0; slot < FIELD_SLOTS; ++slot) {
        const std::string want =
            slot < expectedCount ? expected[static_cast<std::size_t>(slot)] : Sentinel(slot);
        Check(fields[static_cast<std::size_t>(slot)].str() == want,
              "field " + std::to_string(slot) + " differs");
    }
    Check(line.str() == text, "the caller's line was changed");
    return 0;
}

QUILLMERE_FUZZ_ENTRY(FuzzSplitter);
