// Shared pieces of the tests that drive the real dialog under a virtual
// display: event pumping, a shown main dialog in a fresh folder, and the
// seams that keep modal windows from blocking.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include "platform/message_box.h"
#include "ui/converter_dlg.h"

namespace guitest {

namespace fs = std::filesystem;

// Lets the toolkit handle what is pending for about `ms` milliseconds.
void Pump(int ms = 30);

// Pumps until `done` holds or `timeoutMs` have passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// Whole-file access, bytes as they are on disk.
std::string ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, std::string_view bytes);

// A file of the shared test data (tests/data/<name>).
fs::path TestData(const std::string& name);

// Splits text at LF, dropping one CR before each LF and the empty tail.
std::vector<std::string> Lines(const std::string& text);

// A new, empty folder in the system's temporary folder; empty on failure.
fs::path MakeTempDir(const std::string& stem);

// Clicks the centre of `window` with the simulated mouse.
void ClickCentre(wxWindow* window);

// A main dialog, shown and initialised, in a new current directory. Message
// boxes, the beep, the About box and the file dialog are captured.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The dialog's controls.
    wxTextCtrl* Text(int id) const;
    wxCheckBox* Check(int id) const;

    // Sends the button-click notification of button `id`, as a click does.
    void Press(int id);

    // What the next "..." returns: paths, or no value for a cancel.
    void QueuePick(std::optional<std::vector<std::string>> pick);

    // Starts counting console lines from here.
    void MarkConsole();
    // Lines that reached the console since MarkConsole, after moving what
    // is still on its way there.
    std::vector<std::string> ConsoleLinesSinceMark() const;
    // Lines the console window shows since MarkConsole, as it stands.
    std::vector<std::string> ShownConsoleLinesSinceMark() const;

    // An input file `name` in the test folder with `bytes`; returns its path.
    std::string MakeInput(const std::string& name, std::string_view bytes) const;

    CConverterDlg* m_dlg = nullptr;
    fs::path m_dir;
    std::vector<std::string> m_boxes;
    int m_beeps = 0;
    std::vector<wxString> m_modalTitles;
    std::deque<std::optional<std::vector<std::string>>> m_picks;
    int m_pickCalls = 0;

private:
    fs::path m_previousDir;
    std::size_t m_consoleMark = 0;
    std::optional<ScopedMessageBoxSink> m_messageSink;
    std::optional<ScopedBeepSink> m_beepSink;
};

}  // namespace guitest
