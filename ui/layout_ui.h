// Turns a dialog template into controls on a window.
#pragma once

#include <wx/icon.h>
#include <wx/window.h>

#include "ui/layout.h"

// Creates every control of `dialog` on `parent` at its position and size in
// dialog units of `parent`'s font; `icon` fills the icon entries.
void CreateTemplateControls(wxWindow* parent, const DialogTemplate& dialog, const wxIcon& icon);

// The template's size in pixels of `parent`'s dialog units.
wxSize TemplateSize(wxWindow* parent, const DialogTemplate& dialog);
