// What the tests and the fuzz targets share, free of GoogleTest so that the
// libFuzzer programs use it too: whole-file byte access, fresh folders, a
// current folder for a while, and guards for the process-wide settings and
// message sink.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testutil {

namespace fs = std::filesystem;

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const fs::path& path);
// Creates or replaces a file with exactly `bytes`, creating missing folders;
// false when that fails.
bool WriteWholeFile(const fs::path& path, std::string_view bytes);
// True when `path` names an existing file or folder.
bool Exists(const fs::path& path);

// A new, empty folder in the system's temporary folder, named `prefix` and
// random digits, as an absolute path without links. Throws
// std::runtime_error when none can be made.
fs::path MakeFreshDir(std::string_view prefix);

// Makes `dir` the current directory while the object lives and puts the
// previous one back afterwards. Throws std::filesystem::filesystem_error
// when `dir` cannot be entered.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const fs::path& dir);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    fs::path m_previous;
};

// Sets g_surfaceArea and g_areaEnabled and puts the previous values back.
class ScopedAreaSettings {
public:
    ScopedAreaSettings(float area, int enabled);
    ~ScopedAreaSettings();
    ScopedAreaSettings(const ScopedAreaSettings&) = delete;
    ScopedAreaSettings& operator=(const ScopedAreaSettings&) = delete;

private:
    float m_area;
    int m_enabled;
};

// Sets g_scientificFormat and puts the previous value back.
class ScopedNumberForm {
public:
    explicit ScopedNumberForm(bool scientific);
    ~ScopedNumberForm();
    ScopedNumberForm(const ScopedNumberForm&) = delete;
    ScopedNumberForm& operator=(const ScopedNumberForm&) = delete;

private:
    bool m_scientific;
};

// Records every AfxMessageBox text while it lives instead of showing it.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // The texts shown, in order.
    const std::vector<std::string>& Messages() const { return m_messages; }
    // The box types asked for, in the same order.
    const std::vector<unsigned>& Types() const { return m_types; }

private:
    struct Sink;
    std::vector<std::string> m_messages;
    std::vector<unsigned> m_types;
    std::unique_ptr<Sink> m_sink;
};

#ifndef _WIN32
// Number of descriptors the process holds open right now. Throws
// std::runtime_error when they cannot be listed.
int CountOpenDescriptors();
#endif

}  // namespace testutil
