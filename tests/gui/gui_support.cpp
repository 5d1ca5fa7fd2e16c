#include "gui_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <wx/app.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "batch/job_table.h"
#include "engine/settings.h"
#include "ui/console_ui.h"

namespace guitest {

void Pump(int ms)
{
    const wxLongLong end = wxGetLocalTimeMillis() + ms;
    do {
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    } while (wxGetLocalTimeMillis() < end);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const wxLongLong end = wxGetLocalTimeMillis() + timeoutMs;
    while (!done() && wxGetLocalTimeMillis() < end) {
        Pump(10);
    }
    return done();
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path TestData(const std::string& name)
{
    return fs::path(QUILLMERE_TEST_DATA) / name;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') {
            --stop;
        }
        lines.push_back(text.substr(start, stop - start));
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

fs::path MakeTempDir(const std::string& stem)
{
    std::string pattern = (fs::temp_directory_path() / (stem + "-XXXXXX")).string();
    return ::mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
}

void ClickCentre(wxWindow* window)
{
    const wxRect rect = window->GetScreenRect();
    wxUIActionSimulator sim;
    sim.MouseMove(rect.x + rect.width / 2, rect.y + rect.height / 2);
    Pump(20);
    sim.MouseClick();
    Pump(40);
}

void DialogTest::SetUp()
{
    ClearJobs();
    g_surfaceArea = 1.0f;
    g_areaEnabled = 0;
    m_dir = MakeTempDir("quillmere-gui");
    ASSERT_FALSE(m_dir.empty());
    m_previousDir = fs::current_path();
    fs::current_path(m_dir);

    m_messageSink.emplace([this](const CString& text, UINT) {
        m_boxes.push_back(text.str());
        return 1;
    });
    m_beepSink.emplace([this](UINT) { ++m_beeps; });

    m_dlg = new CConverterDlg();
    m_dlg->SetFilePicker([this](wxWindow*) {
        ++m_pickCalls;
        std::optional<std::vector<std::string>> pick;
        if (!m_picks.empty()) {
            pick = m_picks.front();
            m_picks.pop_front();
        }
        return pick;
    });
    m_dlg->SetModalRunner([this](wxDialog& dialog) {
        m_modalTitles.push_back(dialog.GetTitle());
        return static_cast<int>(wxID_OK);
    });
    wxTheApp->SetTopWindow(m_dlg);
    m_dlg->Show();
    Pump(60);
}

void DialogTest::TearDown()
{
    if (m_dlg != nullptr) {
        wxTheApp->SetTopWindow(nullptr);
        m_dlg->Destroy();
        Pump(20);
    }
    m_beepSink.reset();
    m_messageSink.reset();
    fs::current_path(m_previousDir);
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
    ClearJobs();
}

wxTextCtrl* DialogTest::Text(int id) const
{
    return dynamic_cast<wxTextCtrl*>(m_dlg->FindWindow(id));
}

wxCheckBox* DialogTest::Check(int id) const
{
    return dynamic_cast<wxCheckBox*>(m_dlg->FindWindow(id));
}

void DialogTest::Press(int id)
{
    wxWindow* button = m_dlg->FindWindow(id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

void DialogTest::QueuePick(std::optional<std::vector<std::string>> pick)
{
    m_picks.push_back(std::move(pick));
}

void DialogTest::MarkConsole()
{
    ShowPendingConsoleOutput();
    m_consoleMark = DiagnosticConsole()->GetShownText().utf8_string().size();
}

std::vector<std::string> DialogTest::ConsoleLinesSinceMark() const
{
    ShowPendingConsoleOutput();
    return ShownConsoleLinesSinceMark();
}

std::vector<std::string> DialogTest::ShownConsoleLinesSinceMark() const
{
    return Lines(DiagnosticConsole()->GetShownText().utf8_string().substr(m_consoleMark));
}

std::string DialogTest::MakeInput(const std::string& name, std::string_view bytes) const
{
    const fs::path path = m_dir / name;
    WriteBytes(path, bytes);
    return path.string();
}

}  // namespace guitest
