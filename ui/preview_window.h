// The preview window: one non-modal window beside the dialog that shows the
// plots of a listed file, converted in memory with the area the dialog had
// when the preview opened. Further files of the same kind can be laid over
// it; what it shows can be saved as SVG, and as PNG where the build can
// write PNG.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/frame.h>

#include "plot/plot_figure.h"
#include "plot/plot_scene.h"

class wxButton;

class CPreviewWindow : public wxFrame {
public:
    // Asks where to save: a path, or no value for a cancel. The default runs
    // the toolkit's save dialog.
    using SavePathPicker = std::function<std::optional<std::string>(
        wxWindow* parent, const wxString& wildcard, const wxString& name)>;

    // A hidden window owned by `parent`; Show it after ShowSources.
    explicit CPreviewWindow(wxWindow* parent);

    // Shows `sources` in place of what was shown, titled
    // "Preview: NAME" (the names joined by commas for several).
    void ShowSources(std::vector<PlotSource> sources);
    // Lays `source` over what is shown.
    void AddSource(PlotSource source);
    const std::vector<PlotSource>& Sources() const { return m_sources; }
    const PlotFigure& Figure() const { return m_figure; }

    // The scene and image last drawn on the window, at its size.
    const Scene& LastScene() const { return m_scene; }
    const wxBitmap& LastImage() const { return m_image; }
    // The microseconds the last layout and drawing took.
    long long LastDrawMicroseconds() const { return m_drawMicroseconds; }

    // Lays the figure out at the plot's present size and draws it.
    void Redraw();

    // Whether this build can write PNG files.
    static bool CanSavePng();

    // Writes what is shown, at the size shown; raises the file exception
    // when the SVG cannot be written, false when the PNG cannot be.
    void SaveSvg(const std::string& path) const;
    bool SavePng(const std::string& path) const;

    void SetSavePathPicker(SavePathPicker picker);

private:
    void OnPaintPlot(wxPaintEvent& event);
    void OnSizePlot(wxSizeEvent& event);
    void OnSaveSvg(wxCommandEvent& event);
    void OnSavePng(wxCommandEvent& event);
    void Rebuild();

    wxWindow* m_plot = nullptr;
    wxButton* m_savePng = nullptr;
    std::vector<PlotSource> m_sources;
    PlotFigure m_figure;
    Scene m_scene;
    wxBitmap m_image;
    long long m_drawMicroseconds = 0;
    SavePathPicker m_pickSavePath;
};
