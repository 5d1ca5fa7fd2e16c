// Helpers shared by the test files: a fresh current directory per test,
// whole-file byte access, and guards for the process-wide settings and sinks.
#pragma once

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_exception.h"

namespace testutil {

namespace fs = std::filesystem;

// A new, empty directory that is the current directory while the object
// lives; the previous current directory comes back and the folder is removed
// afterwards.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    // The directory's absolute path.
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    fs::path m_previous;
};

// Fixture whose every test runs inside its own ScopedTempDir.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The test's directory (also the current directory).
    const fs::path& Dir() const { return m_dir->path(); }
    // `name` inside the test's directory, as an absolute path.
    std::string PathOf(std::string_view name) const;

private:
    std::unique_ptr<ScopedTempDir> m_dir;
};

// The bytes of a file; fails the test (and returns "") when it cannot be read.
std::string ReadFileBytes(const fs::path& path);
// Creates or replaces a file with exactly `bytes`, creating missing folders.
void WriteFileBytes(const fs::path& path, std::string_view bytes);
// True when `path` names an existing file or folder.
bool Exists(const fs::path& path);
// `text` with every "\n" turned into "\r\n": the bytes a text-mode write leaves.
std::string Crlf(std::string_view text);

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

// The folder of the real instrument files, or empty when it is absent.
fs::path RealSamplesDir();

// "%f<separator>%f<separator>%f\n" of the three values as glibc's snprintf
// writes it, made with this runtime's snprintf: other C runtimes drop the
// sign of a NaN, which glibc writes, and the converters write glibc's text
// on every system.
std::string GlibcFixedLine(char separator, double first, double second, double third);

// Operating-system errors as the file layer reports them: errno values on
// POSIX systems, Win32 error codes on Windows.
#ifdef _WIN32
inline constexpr long OS_FILE_NOT_FOUND = 2;     // ERROR_FILE_NOT_FOUND
inline constexpr long OS_FOLDER_NOT_FOUND = 3;   // ERROR_PATH_NOT_FOUND
inline constexpr long OS_FOLDER_AS_FILE = 5;     // ERROR_ACCESS_DENIED
inline constexpr long OS_OUT_OF_MEMORY = 8;      // ERROR_NOT_ENOUGH_MEMORY
inline constexpr long OS_DISK_FULL = 112;        // ERROR_DISK_FULL
#else
inline constexpr long OS_FILE_NOT_FOUND = ENOENT;
inline constexpr long OS_FOLDER_NOT_FOUND = ENOENT;
inline constexpr long OS_FOLDER_AS_FILE = EISDIR;
inline constexpr long OS_OUT_OF_MEMORY = ENOMEM;
inline constexpr long OS_DISK_FULL = ENOSPC;
#endif

// The cause of opening a file in a folder that does not exist: Windows tells
// a missing folder from a missing file, POSIX systems do not.
#ifdef _WIN32
inline constexpr int CAUSE_FOLDER_NOT_FOUND = CFileException::badPath;
#else
inline constexpr int CAUSE_FOLDER_NOT_FOUND = CFileException::fileNotFound;
#endif

}  // namespace testutil

// Skips the test, saying why, where no device is always full (/dev/full).
#ifdef _WIN32
#define SKIP_WITHOUT_FULL_DEVICE()                                                           \
    GTEST_SKIP() << "Windows has no device that is always full; the tests that make single " \
                    "calls fail cover its disk-full paths"
#else
#define SKIP_WITHOUT_FULL_DEVICE() \
    do {                           \
    } while (0)
#endif

// Skips the test, saying why, when the real instrument files are not there.
#define SKIP_WITHOUT_REAL_SAMPLES()                                                            \
    do {                                                                                       \
        if (::testutil::RealSamplesDir().empty())                                              \
            GTEST_SKIP() << "real instrument samples not found at " << QUILLMERE_REAL_SAMPLES; \
    } while (0)
