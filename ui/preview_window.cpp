#include "ui/preview_window.h"

#include <chrono>
#include <exception>

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/filedlg.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include "platform/file_exception.h"
#include "platform/message_box.h"
#include "plot/svg_writer.h"
#include "ui/plot_drawing.h"

namespace {

// The window's first size: room for the two panels side by side.
const wxSize START_SIZE(900, 460);

enum PreviewControlId : int {
    ID_SAVE_SVG = 2001,
    ID_SAVE_PNG = 2002,
};

std::optional<std::string> PickWithDialog(wxWindow* parent, const wxString& wildcard, const wxString& name)
{
    wxFileDialog dialog(parent, "Save the preview", wxEmptyString, name, wildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return dialog.GetPath().utf8_string();
}

std::string TitleOf(const std::vector<PlotSource>& sources)
{
    std::string names;
    for (const PlotSource& source : sources) {
        names += (names.empty() ? "" : ", ") + source.name;
    }
    return "Preview: " + names;
}

// The name a saved plot is offered under: the first file's name with the
// extension replaced.
wxString SaveName(const std::vector<PlotSource>& sources, const char* extension)
{
    std::string name = sources.empty() ? std::string("preview") : sources[0].name;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return wxString::FromUTF8((name + extension).c_str());
}

}  // namespace

CPreviewWindow::CPreviewWindow(wxWindow* parent)
    : wxFrame(parent, wxID_ANY, "Preview", wxDefaultPosition, START_SIZE, wxDEFAULT_FRAME_STYLE),
      m_pickSavePath(PickWithDialog)
{
    wxPanel* panel = new wxPanel(this);
    m_plot = new wxWindow(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE);
    // Every pixel is painted from the bitmap; the toolkit need not erase.
    m_plot->SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_plot->Bind(wxEVT_PAINT, &CPreviewWindow::OnPaintPlot, this);
    m_plot->Bind(wxEVT_SIZE, &CPreviewWindow::OnSizePlot, this);

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(panel, ID_SAVE_SVG, "Save &SVG..."), 0, wxALL, 4);
    m_savePng = new wxButton(panel, ID_SAVE_PNG, "Save &PNG...");
    buttons->Add(m_savePng, 0, wxALL, 4);
    // A build without PNG support saves SVG only.
    m_savePng->Show(CanSavePng());
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_plot, 1, wxEXPAND);
    column->Add(buttons, 0, wxEXPAND);
    panel->SetSizer(column);
    Bind(wxEVT_BUTTON, &CPreviewWindow::OnSaveSvg, this, ID_SAVE_SVG);
    Bind(wxEVT_BUTTON, &CPreviewWindow::OnSavePng, this, ID_SAVE_PNG);
}

void CPreviewWindow::ShowSources(std::vector<PlotSource> sources)
{
    m_sources = std::move(sources);
    Rebuild();
}

void CPreviewWindow::AddSource(PlotSource source)
{
    m_sources.push_back(std::move(source));
    Rebuild();
}

void CPreviewWindow::Rebuild()
{
    m_figure = BuildFigure(m_sources);
    SetTitle(wxString::FromUTF8(TitleOf(m_sources).c_str()));
    Redraw();
}

void CPreviewWindow::Redraw()
{
    const wxSize size = m_plot->GetClientSize();
    const auto start = std::chrono::steady_clock::now();
    m_scene = LayoutFigure(m_figure, std::max(size.x, 1), std::max(size.y, 1));
    m_image = RenderScene(m_scene);
    m_drawMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count();
    m_plot->Refresh(false);
}

void CPreviewWindow::OnSizePlot(wxSizeEvent& event)
{
    Redraw();
    event.Skip();
}

void CPreviewWindow::OnPaintPlot(wxPaintEvent&)
{
    wxPaintDC dc(m_plot);
    if (!m_image.IsOk() || m_image.GetSize() != m_plot->GetClientSize()) {
        Redraw();
    }
    dc.DrawBitmap(m_image, 0, 0);
}

bool CPreviewWindow::CanSavePng()
{
#if wxUSE_LIBPNG
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    return true;
#else
    return false;
#endif
}

void CPreviewWindow::SaveSvg(const std::string& path) const
{
    WriteSvgFile(path.c_str(), m_scene);
}

bool CPreviewWindow::SavePng(const std::string& path) const
{
    return CanSavePng() &&
           m_image.ConvertToImage().SaveFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG);
}

void CPreviewWindow::SetSavePathPicker(SavePathPicker picker)
{
    m_pickSavePath = std::move(picker);
}

void CPreviewWindow::OnSaveSvg(wxCommandEvent&)
{
    const std::optional<std::string> path =
        m_pickSavePath(this, "SVG files (*.svg)|*.svg", SaveName(m_sources, ".svg"));
    if (!path) {
        return;
    }
    try {
        SaveSvg(*path);
    } catch (const CException& error) {
        AfxMessageBox(error.GetErrorMessage());
    } catch (const std::exception& error) {
        AfxMessageBox(error.what());
    }
}

void CPreviewWindow::OnSavePng(wxCommandEvent&)
{
    const std::optional<std::string> path =
        m_pickSavePath(this, "PNG files (*.png)|*.png", SaveName(m_sources, ".png"));
    if (path && !SavePng(*path)) {
        AfxMessageBox(("The preview could not be saved as " + *path + ".").c_str());
    }
}
