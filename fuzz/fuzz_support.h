// What the fuzz targets share: a private folder for their files, checks that
// report through a replaceable handler, and guards for the process-wide state
// that a conversion touches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_exception.h"
#include "platform/sysio.h"
#include "tests/support/harness.h"

namespace fuzzsupport {

// Reports a broken check. The default prints `what` and aborts, which is
// what libFuzzer needs to save the input; the replay test throws instead.
using FailureHandler = void (*)(const std::string& what);
void SetFailureHandler(FailureHandler handler);
[[noreturn]] void Fail(const std::string& what);

// Checks `condition`; reports `what` when it does not hold.
inline void Check(bool condition, const std::string& what)
{
    if (!condition) Fail(what);
}

// The process's private folder for fuzz files, made on first use in the
// system's temporary folder and removed at exit.
const std::string& FuzzDir();
// Removes everything inside FuzzDir().
void EmptyFuzzDir();

// Whole-file access that reports a failure when the file cannot be written
// or read; writing creates missing folders.
void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);

// Checks that every line of `text` ends in CR LF and holds three "%f"
// numbers joined by `separator`.
void CheckNumberLines(const std::string& text, char separator, const char* what);
// True when `work` could have come from the filter: printable bytes and
// CR LF pairs only.
bool IsFilterOutput(const std::string& work);
// The lines of such a work file, without their CR LF.
std::vector<std::string> WorkLines(const std::string& work);
// Checks that no unfinished output is left anywhere in FuzzDir().
void CheckNoUnfinishedFiles();
// Number of CR LF line ends in `text`.
std::size_t CountLines(std::string_view text);

// One conversion's surroundings: an empty FuzzDir() as the current folder,
// message boxes counted instead of shown, the area settings chosen from the
// input, and every output write capped so that a huge point count ends in a
// file error instead of filling the disk. All of it comes back afterwards.
class CScene {
public:
    CScene(const std::uint8_t* data, std::size_t size);
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;

    // FuzzDir() joined with `name`.
    std::string PathOf(const char* name) const;
    // Message boxes shown so far.
    int Messages() const { return static_cast<int>(m_messages.Messages().size()); }
    // True once a write was refused because of the cap.
    static bool CapReached();
    // Checks that the conversion left no descriptor open.
    void CheckDescriptors() const;

private:
    testutil::ScopedCurrentDir m_currentDir;
    testutil::ScopedAreaSettings m_area;
    testutil::MessageRecorder m_messages;
    ScopedSysIo m_sysIo;
    int m_descriptors = 0;
};

// Runs `convert`, inside a CScene; true when it raised a file error, which
// only the cap on output writes may cause.
template <typename Convert>
bool RaisedAtCap(Convert&& convert)
{
    try {
        convert();
    } catch (const CFileException& error) {
        Check(CScene::CapReached(), "file error: " + error.GetErrorMessage().str());
        return true;
    }
    return false;
}

}  // namespace fuzzsupport
