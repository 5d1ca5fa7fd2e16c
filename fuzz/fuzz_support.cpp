#include "fuzz/fuzz_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <utility>

namespace fuzzsupport {

namespace {

namespace fs = std::filesystem;

// Bytes a conversion may write through WriteText before writes fail with
// "disk full": far more than any sensible input gives, small enough that a
// count of two thousand million points ends in a moment.
constexpr std::size_t OUTPUT_CAP = 16 * 1024;

// The area settings an input runs with, chosen by its bytes: scaling on with
// the usual, a halving and a zero area, and scaling off.
struct AreaSetting {
    float area;
    int enabled;
};
constexpr AreaSetting AREA_SETTINGS[] = {{1.0f, 1}, {0.5f, 1}, {0.0f, 1}, {2.0f, 0}};

void DefaultFailure(const std::string& what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

FailureHandler g_failureHandler = DefaultFailure;
std::size_t g_written = 0;
bool g_capReached = false;

int CappedPuts(const char* text, FILE* stream)
{
    const std::size_t length = std::strlen(text);
    if (g_written + length > OUTPUT_CAP) {
        g_capReached = true;
        errno = ENOSPC;
        return EOF;
    }
    g_written += length;
    return RealSysIo().fputs(text, stream);
}

void RemoveFuzzDir()
{
    std::error_code ignored;
    fs::remove_all(FuzzDir(), ignored);
}

bool IsNumber(std::string_view text)
{
    static constexpr std::string_view SPECIALS[] = {"inf", "-inf", "nan", "-nan"};
    for (std::string_view special : SPECIALS) {
        if (text == special) return true;
    }
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    const std::size_t point = text.find('.');
    if (point == 0 || point == std::string_view::npos || text.size() - point != 7) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != point && (text[i] < '0' || text[i] > '9')) return false;
    }
    return point == 1 || text[0] != '0';
}

// The area setting for an input: the one its byte sum picks.
const AreaSetting& AreaSettingFor(const std::uint8_t* data, std::size_t size)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i) sum += data[i];
    return AREA_SETTINGS[sum % std::size(AREA_SETTINGS)];
}

// FuzzDir(), emptied.
const std::string& EmptiedFuzzDir()
{
    EmptyFuzzDir();
    return FuzzDir();
}

}  // namespace

void SetFailureHandler(FailureHandler handler)
{
    g_failureHandler = handler != nullptr ? handler : DefaultFailure;
}

void Fail(const std::string& what)
{
    g_failureHandler(what);
    std::abort();  // a handler that returns is no handler
}

const std::string& FuzzDir()
{
    static const std::string dir = testutil::MakeFreshDir("quillmere-fuzz-").string();
    static const bool cleanup = std::atexit(RemoveFuzzDir) == 0;
    (void)cleanup;
    return dir;
}

void EmptyFuzzDir()
{
    for (const fs::directory_entry& entry : fs::directory_iterator(FuzzDir())) fs::remove_all(entry.path());
}

void WriteBytes(const std::string& path, std::string_view bytes)
{
    Check(testutil::WriteWholeFile(path, bytes), "cannot write " + path);
}

std::string ReadBytes(const std::string& path)
{
    std::optional<std::string> bytes = testutil::ReadWholeFile(path);
    Check(bytes.has_value(), "cannot read " + path);
    return *std::move(bytes);
}

void CheckNumberLines(const std::string& text, char separator, const char* what)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        Check(end != std::string::npos, std::string(what) + ": last line without CR LF");
        const std::string_view line(text.data() + start, end - start);
        const std::size_t first = line.find(separator);
        const std::size_t second = first == std::string_view::npos ? first : line.find(separator, first + 1);
        Check(second != std::string_view::npos, std::string(what) + ": fewer than three numbers");
        Check(IsNumber(line.substr(0, first)) && IsNumber(line.substr(first + 1, second - first - 1)) &&
                  IsNumber(line.substr(second + 1)),
              std::string(what) + ": not a \"%f\" line: " + std::string(line));
        start = end + 2;
    }
}

bool IsFilterOutput(const std::string& work)
{
    for (std::size_t i = 0; i < work.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(work[i]);
        if (byte == '\r' && i + 1 < work.size() && work[i + 1] == '\n')
            ++i;
        else if (byte < 0x20 || byte > 0x7E)
            return false;
    }
    return true;
}

std::vector<std::string> WorkLines(const std::string& work)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < work.size()) {
        std::size_t end = work.find("\r\n", start);
        if (end == std::string::npos) end = work.size();
        lines.push_back(work.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void CheckNoUnfinishedFiles()
{
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(FuzzDir())) {
        Check(entry.path().filename().string().find(".unfinished") == std::string::npos,
              "unfinished file left: " + entry.path().string());
    }
}

std::size_t CountLines(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

CScene::CScene(const std::uint8_t* data, std::size_t size)
    : m_currentDir(EmptiedFuzzDir()),
      m_area(AreaSettingFor(data, size).area, AreaSettingFor(data, size).enabled)
{
    g_written = 0;
    g_capReached = false;
    Sys().fputs = CappedPuts;
    m_descriptors = testutil::CountOpenDescriptors();
}

std::string CScene::PathOf(const char* name) const
{
    return FuzzDir() + "/" + name;
}

bool CScene::CapReached()
{
    return g_capReached;
}

void CScene::CheckDescriptors() const
{
    Check(testutil::CountOpenDescriptors() == m_descriptors, "a descriptor was left open");
}

}  // namespace fuzzsupport
