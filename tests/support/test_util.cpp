#include "support/test_util.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace testutil {

ScopedTempDir::ScopedTempDir() : m_path(MakeFreshDir("quillmere-test-"))
{
    m_current.emplace(m_path);
}

ScopedTempDir::~ScopedTempDir()
{
    // Back to the previous directory first: Windows cannot remove a current one.
    m_current.reset();
    std::error_code ignored;
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
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    return *std::move(bytes);
}

void WriteFileBytes(const fs::path& path, std::string_view bytes)
{
    if (!WriteWholeFile(path, bytes)) throw std::runtime_error("cannot write " + path.string());
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

std::string IvInput(int points)
{
    std::ostringstream text;
    text << "[Data]\r\nprimary_data\r\nunits\r\n" << points << "\r\n";
    for (int i = 0; i < points; ++i) text << i * 0.001 << "  " << (i % 97) * 1.5e-6 << "  " << i << "\r\n";
    return text.str();
}

std::string EisInput(int points)
{
    std::ostringstream text;
    text << "Pt,Time,Type,E,I,Cycle,Freq,Zmod,Zphz,Zreal,Zimag\r\n";
    for (int i = 0; i < points; ++i)
        text << i << ",0,PEIS,0,0,1," << 100000.0 / (i + 1) << ",0,0," << 10 + i * 0.25 << "," << -0.5 * i
             << "\r\n";
    return text.str();
}

void CheckFileError(const CFileException& error, const FileError& expected)
{
    const std::string message = error.GetErrorMessage().str();
    if (expected.cause) {
        EXPECT_EQ(error.m_cause, *expected.cause) << message;
    }
    if (expected.osError) {
        EXPECT_EQ(error.m_lOsError, *expected.osError) << message;
    }
    if (expected.path) {
        EXPECT_EQ(error.m_strFileName.str(), *expected.path);
        EXPECT_TRUE(message.find(*expected.path) != std::string::npos)
            << "the message does not name the file: " << message;
    }
    if (expected.message) {
        EXPECT_EQ(message, *expected.message);
    }
}

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
