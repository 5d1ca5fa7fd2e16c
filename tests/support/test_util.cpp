#include "support/test_util.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "batch/job_table.h"
#include "platform/message_box.h"

namespace testutil {

ScopedTempDir::ScopedTempDir() : m_previous(fs::current_path())
{
    // A name of random digits, made with create_directory, which fails when
    // the name is taken: mkdtemp is POSIX only.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("quillmere-test-" + std::to_string(random()));
        std::error_code failure;
        if (fs::create_directory(candidate, failure)) m_path = fs::canonical(candidate);
    }
    if (m_path.empty()) throw std::runtime_error("cannot make a temporary directory");
    fs::current_path(m_path);
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
    fs::remove_all(m_path, ignored);
}

void TempDirTest::SetUp()
{
    m_dir = std::make_unique<ScopedTempDir>();
}

void TempDirTest::TearDown()
{
    m_dir.reset();
}

std::string TempDirTest::PathOf(std::string_view name) const
{
    return (Dir() / name).string();
}

std::string ReadFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const fs::path& path, std::string_view bytes)
{
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

bool Exists(const fs::path& path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::string Crlf(std::string_view text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

ScopedAreaSettings::ScopedAreaSettings(float area, int enabled)
    : m_area(g_surfaceArea), m_enabled(g_areaEnabled)
{
    g_surfaceArea = area;
    g_areaEnabled = enabled;
}

ScopedAreaSettings::~ScopedAreaSettings()
{
    g_surfaceArea = m_area;
    g_areaEnabled = m_enabled;
}

struct MessageRecorder::Sink {
    Sink(std::vector<std::string>& messages, std::vector<unsigned>& types)
        : scoped([&messages, &types](const CString& text, UINT type) {
              messages.push_back(text.str());
              types.push_back(type);
              return 1;  // IDOK
          })
    {
    }
    ScopedMessageBoxSink scoped;
};

MessageRecorder::MessageRecorder() : m_sink(std::make_unique<Sink>(m_messages, m_types)) {}

MessageRecorder::~MessageRecorder() = default;

namespace {

std::string GlibcFixed(double value)
{
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    char text[400];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

}  // namespace

std::string GlibcFixedLine(char separator, double first, double second, double third)
{
    return GlibcFixed(first) + separator + GlibcFixed(second) + separator + GlibcFixed(third) + "\n";
}

fs::path RealSamplesDir()
{
    const fs::path dir = QUILLMERE_REAL_SAMPLES;
    return Exists(dir) ? dir : fs::path();
}

}  // namespace testutil
