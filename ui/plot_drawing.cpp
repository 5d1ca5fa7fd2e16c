#include "ui/plot_drawing.h"

#include <cmath>
#include <vector>

#include <wx/dcmemory.h>

namespace {

wxColour Colour(const PlotColour& colour)
{
    return wxColour(colour.red, colour.green, colour.blue);
}

wxPoint Point(const PlotPixel& at)
{
    return wxPoint(static_cast<int>(std::lround(at.x)), static_cast<int>(std::lround(at.y)));
}

int Round(float value)
{
    return static_cast<int>(std::lround(value));
}

void DrawText(wxDC& dc, const SceneText& text)
{
    wxFont font(wxFontInfo(wxSize(0, text.size)).Family(wxFONTFAMILY_SWISS).Bold(text.bold));
    dc.SetFont(font);
    dc.SetTextForeground(Colour(text.colour));
    const wxString label = wxString::FromUTF8(text.text.c_str());
    wxCoord width = 0;
    wxCoord height = 0;
    dc.GetTextExtent(label, &width, &height);
    int along = 0;  // how far the anchor lies from the text's start
    if (text.anchor == TextAnchor::middle) {
        along = width / 2;
    } else if (text.anchor == TextAnchor::end) {
        along = width;
    }
    if (text.vertical) {
        // Turned a quarter left, the text runs upward from its start and
        // its glyphs hang to the right of the point given.
        dc.DrawRotatedText(label, Round(text.x - height / 2.0f), Round(text.y + along), 90);
    } else {
        dc.DrawText(label, Round(text.x) - along, Round(text.y - height / 2.0f));
    }
}

void DrawPath(wxDC& dc, const ScenePath& path)
{
    const wxColour colour = Colour(path.colour);
    wxPen pen(colour, 2, path.dashed ? wxPENSTYLE_SHORT_DASH : wxPENSTYLE_SOLID);
    pen.SetJoin(wxJOIN_ROUND);
    pen.SetCap(wxCAP_ROUND);
    dc.SetPen(pen);
    dc.SetBrush(wxBrush(colour));
    std::vector<wxPoint> points;
    for (std::size_t r = 0; r < path.line.RunCount(); ++r) {
        const std::span<const PlotPixel> run = path.line.Run(r);
        points.clear();
        for (const PlotPixel& at : run) {
            points.push_back(Point(at));
        }
        if (points.size() >= 2) {
            dc.DrawLines(static_cast<int>(points.size()), points.data());
        } else if (points.size() == 1) {
            dc.DrawCircle(points[0], 1);
        }
    }
    if (path.markers) {
        dc.SetPen(wxPen(colour, 1));
        for (std::size_t r = 0; r < path.line.RunCount(); ++r) {
            for (const PlotPixel& at : path.line.Run(r)) {
                dc.DrawCircle(Point(at), 3);
            }
        }
    }
}

}  // namespace

void DrawScene(wxDC& dc, const Scene& scene)
{
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetPen(wxPen(wxColour(224, 224, 224), 1));
    for (const SceneLine& line : scene.lines) {
        if (line.grid) {
            dc.DrawLine(Round(line.x0), Round(line.y0), Round(line.x1), Round(line.y1));
        }
    }
    dc.SetPen(*wxBLACK_PEN);
    for (const SceneLine& line : scene.lines) {
        if (!line.grid) {
            dc.DrawLine(Round(line.x0), Round(line.y0), Round(line.x1), Round(line.y1));
        }
    }
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    for (const SceneBox& box : scene.plotAreas) {
        dc.DrawRectangle(Round(box.x), Round(box.y), Round(box.width) + 1, Round(box.height) + 1);
    }
    for (const ScenePath& path : scene.paths) {
        DrawPath(dc, path);
    }
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    for (const SceneText& text : scene.texts) {
        DrawText(dc, text);
    }
}

wxBitmap RenderScene(const Scene& scene)
{
    wxBitmap bitmap(scene.width, scene.height, 24);
    wxMemoryDC dc(bitmap);
    DrawScene(dc, scene);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}
