// The preview window: opened by a double-click on a line of the file list
// and from the right-click menu for the caret's line, one window reused,
// drawn (pixels of the series colour inside the plot area), redrawn on
// resize, files of the same kind laid over, saved as SVG (and PNG where the
// build writes PNG), and nothing shown in a box.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/uiaction.h>

#include "batch/job_table.h"
#include "engine/settings.h"
#include "gui_support.h"
#include "plot/plot_figure.h"
#include "ui/preview_window.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;
using guitest::Pump;
using guitest::PumpUntil;

// An impedance export of a resistor and an RC element, 30 frequencies.
std::string Spectrum()
{
    std::string text = "Pt,Time,Type,E,I,Cycle,Freq,Zmod,Zphz,Zreal,Zimag\r\n";
    for (int i = 0; i < 30; ++i) {
        const double f = 100000.0 / (1 << (i % 20)) / (i < 20 ? 1 : 1000);
        const double w = 6.2831853 * f * 1e-3;
        const double real = 10 + 100 / (1 + w * w);
        const double imaginary = -100 * w / (1 + w * w);
        text += std::to_string(i) + ",0,PEIS,0,0,1," + std::to_string(f) + ",0,0," + std::to_string(real) +
                "," + std::to_string(imaginary) + "\r\n";
    }
    return text;
}

std::string Sweep()
{
    std::string text = "header\r\nprimary_data\r\n3\r\n200\r\n";
    for (int i = 0; i < 200; ++i) {
        text += std::to_string(-0.5 + i * 0.01) + " " + std::to_string(1e-6 * (i % 50)) + " " +
                std::to_string(i) + "\r\n";
    }
    return text;
}

// Pixels of `colour` (within a little, for smoothed edges) inside `area` of `image`.
int CountColour(const wxImage& image, const SceneBox& area, const PlotColour& colour)
{
    int count = 0;
    const int right = std::min(static_cast<int>(area.x + area.width), image.GetWidth() - 1);
    const int bottom = std::min(static_cast<int>(area.y + area.height), image.GetHeight() - 1);
    for (int y = static_cast<int>(area.y) + 1; y < bottom; ++y) {
        for (int x = static_cast<int>(area.x) + 1; x < right; ++x) {
            if (std::abs(image.GetRed(x, y) - colour.red) < 24 &&
                std::abs(image.GetGreen(x, y) - colour.green) < 24 &&
                std::abs(image.GetBlue(x, y) - colour.blue) < 24) {
                ++count;
            }
        }
    }
    return count;
}

class PreviewTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        m_dlg->AddFiles({MakeInput("cell_B_02.csv", Spectrum()), MakeInput("run_A_01.idf", Sweep()),
                         MakeInput("cell_B_03.csv", Spectrum()), MakeInput("blank.idf", "no data here\r\n")});
        Pump(30);
    }

    CPreviewWindow* Preview() const { return m_dlg->GetPreviewWindow(); }

    bool PreviewShows(const wxString& title) const
    {
        return Preview() != nullptr && Preview()->IsShown() && Preview()->GetTitle() == title;
    }

    // Puts the file list's caret at the start of line `line`.
    void PutCaretOn(int line)
    {
        wxTextCtrl* list = Text(IDC_FILE_LIST);
        list->SetInsertionPoint(list->XYToPosition(0, line));
    }

    void SendMenuCommand(int id)
    {
        ASSERT_NE(m_dlg->GetSystemMenu().FindItem(id), nullptr);
        wxCommandEvent command(wxEVT_MENU, id);
        command.SetEventObject(m_dlg);
        m_dlg->ProcessWindowEvent(command);
        Pump(30);
    }

    // The drawn image holds the first series' colour inside the first plot area.
    void ExpectDrawn() const
    {
        ASSERT_NE(Preview(), nullptr);
        const Scene& scene = Preview()->LastScene();
        ASSERT_FALSE(scene.plotAreas.empty());
        const wxImage image = Preview()->LastImage().ConvertToImage();
        EXPECT_GT(CountColour(image, scene.plotAreas[0], scene.paths.at(0).colour), 20);
    }
};

TEST_F(PreviewTest, DoubleClickOnALineOpensItsPreview)
{
    wxTextCtrl* list = Text(IDC_FILE_LIST);
    const wxPoint at = list->GetScreenPosition() + wxPoint(6, list->GetCharHeight() / 2 + 3);
    wxUIActionSimulator sim;
    sim.MouseMove(at.x, at.y);
    Pump(30);
    sim.MouseDblClick();
    ASSERT_TRUE(PumpUntil([this] { return PreviewShows("Preview: cell_B_02.csv"); }, 5000))
        << (Preview() != nullptr ? Preview()->GetTitle().utf8_string() : std::string("no preview"));
    Pump(100);
    ExpectDrawn();
    const std::vector<std::string> headings = {"Nyquist", "Bode"};
    ASSERT_EQ(Preview()->Figure().panels.size(), 2U);
    EXPECT_EQ(Preview()->Figure().panels[0].heading, headings[0]);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(PreviewTest, TheMenuPreviewsTheCaretsLineInTheSameWindow)
{
    PutCaretOn(1);
    SendMenuCommand(IDM_PREVIEW);
    ASSERT_TRUE(PumpUntil([this] { return PreviewShows("Preview: run_A_01.idf"); }));
    ExpectDrawn();
    CPreviewWindow* first = Preview();
    EXPECT_EQ(first->Figure().panels.at(0).heading, "Sweep");

    PutCaretOn(0);
    SendMenuCommand(IDM_PREVIEW);
    EXPECT_TRUE(PumpUntil([this] { return PreviewShows("Preview: cell_B_02.csv"); }));
    EXPECT_EQ(Preview(), first);  // reused, not a second window
    EXPECT_EQ(Preview()->Sources().size(), 1U);
}

TEST_F(PreviewTest, AddToPreviewLaysFilesOfTheSameKindOver)
{
    PutCaretOn(0);
    SendMenuCommand(IDM_PREVIEW);
    PutCaretOn(2);
    SendMenuCommand(IDM_ADD_TO_PREVIEW);
    ASSERT_TRUE(PumpUntil([this] { return PreviewShows("Preview: cell_B_02.csv, cell_B_03.csv"); }));
    const PlotFigure& figure = Preview()->Figure();
    EXPECT_EQ(figure.legend.size(), 2U);
    EXPECT_EQ(figure.panels.at(0).series.size(), 2U);

    PutCaretOn(1);  // a sweep is not laid over impedance
    SendMenuCommand(IDM_ADD_TO_PREVIEW);
    EXPECT_EQ(Preview()->Figure().panels.at(0).series.size(), 2U);
    ASSERT_FALSE(Preview()->Figure().notes.empty());
    EXPECT_EQ(Preview()->Figure().notes.back(), "run_A_01.idf: another kind of data, not shown");
}

TEST_F(PreviewTest, AFileWithoutDataSaysWhyInTheWindowNotInABox)
{
    PutCaretOn(3);
    SendMenuCommand(IDM_PREVIEW);
    ASSERT_TRUE(PumpUntil([this] { return PreviewShows("Preview: blank.idf"); }));
    EXPECT_EQ(Preview()->Figure().message, "No data: no \"primary_data\" line");
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(Preview()->LastScene().paths.empty());
}

TEST_F(PreviewTest, TheAreaIsTheBoxsWhenThePreviewOpens)
{
    Text(IDC_AREA)->SetValue("2");
    PutCaretOn(0);
    SendMenuCommand(IDM_PREVIEW);
    ASSERT_NE(Preview(), nullptr);
    const std::vector<PlotSource>& sources = Preview()->Sources();
    ASSERT_EQ(sources.size(), 1U);
    EXPECT_EQ(sources[0].area, 2.0f);
    const double firstReal = sources[0].rows->second.at(0);
    Text(IDC_AREA)->SetValue("3");
    Pump(30);
    EXPECT_EQ(Preview()->Sources()[0].area, 2.0f);
    EXPECT_EQ(Preview()->Sources()[0].rows->second.at(0), firstReal);
}

TEST_F(PreviewTest, ResizingRedrawsAtTheNewSize)
{
    PutCaretOn(0);
    SendMenuCommand(IDM_PREVIEW);
    ASSERT_NE(Preview(), nullptr);
    Pump(100);
    const wxSize before = Preview()->LastImage().GetSize();
    Preview()->SetSize(Preview()->GetSize() + wxSize(120, 80));
    ASSERT_TRUE(PumpUntil([this, before] { return Preview()->LastImage().GetSize() != before; }));
    EXPECT_EQ(Preview()->LastScene().width, Preview()->LastImage().GetWidth());
    ExpectDrawn();
}

TEST_F(PreviewTest, SavesWhatItShowsAsSvgAndAsPngWhereTheBuildCan)
{
    PutCaretOn(0);
    SendMenuCommand(IDM_PREVIEW);
    ASSERT_NE(Preview(), nullptr);
    std::vector<std::string> offered;
    Preview()->SetSavePathPicker([&](wxWindow*, const wxString&, const wxString& name) {
        offered.push_back(name.utf8_string());
        return std::optional<std::string>((m_dir / name.utf8_string()).string());
    });
    for (wxWindow* child : Preview()->GetChildren().front()->GetChildren()) {
        if (auto* button = dynamic_cast<wxButton*>(child)) {
            if (button->IsShown()) {
                wxCommandEvent click(wxEVT_BUTTON, button->GetId());
                click.SetEventObject(button);
                button->ProcessWindowEvent(click);
            }
        }
    }
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered[0], "cell_B_02.svg");
    const std::string bytes = guitest::ReadBytes(m_dir / "cell_B_02.svg");
    EXPECT_EQ(bytes.rfind("<?xml", 0), 0U);
    EXPECT_NE(bytes.find(">Z' / \xCE\xA9<"), std::string::npos);
    std::size_t paths = 0;
    for (std::size_t at = bytes.find("<path "); at != std::string::npos; at = bytes.find("<path ", at + 1)) {
        ++paths;
    }
    EXPECT_EQ(paths, 3U);
#ifndef _WIN32
    if (std::system("xmllint --version >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("xmllint --noout '" + (m_dir / "cell_B_02.svg").string() + "'").c_str()), 0);
    }
#endif
    if (CPreviewWindow::CanSavePng()) {
        ASSERT_EQ(offered.size(), 2U);
        wxImage png;
        ASSERT_TRUE(png.LoadFile(wxString::FromUTF8((m_dir / "cell_B_02.png").string()), wxBITMAP_TYPE_PNG));
        EXPECT_EQ(png.GetSize(), Preview()->LastImage().GetSize());
    } else {
        EXPECT_EQ(offered.size(), 1U);  // no PNG button where the build cannot write PNG
    }
    EXPECT_TRUE(m_boxes.empty());
}

}  // namespace
