// Helpers shared by the test files: a fresh current directory per test,
// whole-file byte access that fails the test, the check of a raised file
// exception, and the operating-system errors each system reports. What the
// fuzz targets share with the tests lives in harness.h.
#pragma once

#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_exception.h"
#include "support/harness.h"

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
    std::optional<ScopedCurrentDir> m_current;
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
// Creates or replaces a file with exactly `bytes`, creating missing folders;
// throws std::runtime_error when that fails.
void WriteFileBytes(const fs::path& path, std::string_view bytes);
// `text` with every "\n" turned into "\r\n": the bytes a text-mode write leaves.
std::string Crlf(std::string_view text);

// A made-up input of `points` points whose conversion takes a while: a
// current-voltage sweep, and an impedance export whose rows all convert.
std::string IvInput(int points);
std::string EisInput(int points);

// What a file exception should carry; what is left empty is not checked.
struct FileError {
    std::optional<int> cause = std::nullopt;     // CFileException::Cause
    std::optional<long> osError = std::nullopt;  // errno, or a Win32 code on Windows
    // The file's path, which the message must name too.
    std::optional<std::string> path = std::nullopt;
    // The whole message, GetErrorMessage().
    std::optional<std::string> message = std::nullopt;
};

// Checks `error` against `expected`.
void CheckFileError(const CFileException& error, const FileError& expected);

// Runs `action` and expects it to raise a CFileException that carries what
// `expected` names. Every failure names `context` and the line of the call.
template <typename Action>
void ExpectFileError(Action&& action, const FileError& expected, std::string_view context = {},
                     const std::source_location& where = std::source_location::current())
{
    const ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), context);
    try {
        action();
    } catch (const CFileException& error) {
        CheckFileError(error, expected);
        return;
    }
    ADD_FAILURE() << "no file exception";
}

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
inline constexpr long OS_FILE_NOT_FOUND = 2;    // ERROR_FILE_NOT_FOUND
inline constexpr long OS_FOLDER_NOT_FOUND = 3;  // ERROR_PATH_NOT_FOUND
inline constexpr long OS_FOLDER_AS_FILE = 5;    // ERROR_ACCESS_DENIED
inline constexpr long OS_OUT_OF_MEMORY = 8;     // ERROR_NOT_ENOUGH_MEMORY
inline constexpr long OS_DISK_FULL = 112;       // ERROR_DISK_FULL
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
