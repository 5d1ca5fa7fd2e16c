// Drawing a laid-out plot with the toolkit's plain device context, the
// same scene the SVG writer writes, so the preview window and a plot file
// look alike.
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>

#include "plot/plot_scene.h"

// Draws `scene` on `dc`, background first.
void DrawScene(wxDC& dc, const Scene& scene);

// `scene` drawn into a new bitmap of its size.
wxBitmap RenderScene(const Scene& scene);
