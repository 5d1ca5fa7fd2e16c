#include "tests/support/harness.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#ifndef _WIN32
#include <dirent.h>
#endif

#include "engine/settings.h"
#include "platform/message_box.h"

namespace testutil {

std::optional<std::string> ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const fs::path& path, std::string_view bytes)
{
    std::error_code failure;
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path(), failure);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool Exists(const fs::path& path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

fs::path MakeFreshDir(std::string_view prefix)
{
    // A name of random digits, made with create_directory, which fails when
    // the name is taken: mkdtemp is POSIX only.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / (std::string(prefix) + std::to_string(random()));
        std::error_code failure;
        if (fs::create_directory(candidate, failure)) {
            return fs::canonical(candidate);
        }
    }
    throw std::runtime_error("cannot make a temporary directory");
}

ScopedCurrentDir::ScopedCurrentDir(const fs::path& dir) : m_previous(fs::current_path())
{
    fs::current_path(dir);
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
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

ScopedNumberForm::ScopedNumberForm(bool scientific) : m_scientific(g_scientificFormat)
{
    g_scientificFormat = scientific;
}

ScopedNumberForm::~ScopedNumberForm()
{
    g_scientificFormat = m_scientific;
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

#ifndef _WIN32
int CountOpenDescriptors()
{
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        throw std::runtime_error("cannot list /proc/self/fd");
    }
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') {
            ++count;
        }
    }
    closedir(dir);
    return count - 1;  // the listing's own descriptor
}
#endif

}  // namespace testutil
