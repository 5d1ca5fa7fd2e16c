#include "ui/layout_ui.h"

#include <algorithm>
#include <iterator>

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/image.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

namespace {

// Where and how large one control is, in pixels.
struct Placement {
    wxPoint pos;
    wxSize size;
};

wxWindow* MakeDefaultButton(wxWindow* parent, const ControlTemplate& c, const Placement& at, const wxIcon&)
{
    auto* button = new wxButton(parent, c.id, c.text, at.pos, at.size);
    button->SetDefault();
    return button;
}

wxWindow* MakeButton(wxWindow* parent, const ControlTemplate& c, const Placement& at, const wxIcon&)
{
    return new wxButton(parent, c.id, c.text, at.pos, at.size);
}

wxWindow* MakeEdit(wxWindow* parent, const ControlTemplate& c, const Placement& at, const wxIcon&)
{
    return new wxTextCtrl(parent, c.id, c.text, at.pos, at.size);
}

wxWindow* MakeMultiLineEdit(wxWindow* parent, const ControlTemplate& c, const Placement& at, const wxIcon&)
{
    const long style = wxTE_MULTILINE | wxTE_DONTWRAP | wxVSCROLL;
    if ((c.style & STYLE_DIGITS_ONLY) != 0) {
        return new wxTextCtrl(parent, c.id, c.text, at.pos, at.size, style, wxTextValidator(wxFILTER_DIGITS));
    }
    return new wxTextCtrl(parent, c.id, c.text, at.pos, at.size, style);
}

wxWindow* MakeLabel(wxWindow* parent, const ControlTemplate& c, const Placement& at, const wxIcon&)
{
    auto* label = new wxStaticText(parent, c.id, wxEmptyString, at.pos, at.size, wxST_NO_AUTORESIZE);
    label->SetLabelText(c.text);  // shown as written: no mnemonic
    return label;
}

wxWindow* MakeCheckBox(wxWindow* parent, const ControlTemplate& c, const Placement& at, const wxIcon&)
{
    return new wxCheckBox(parent, c.id, c.text, at.pos, at.size);
}

wxWindow* MakeIcon(wxWindow* parent, const ControlTemplate& c, const Placement& at, const wxIcon& icon)
{
    wxBitmap bitmap;
    bitmap.CopyFromIcon(icon);
    const int side = std::min(at.size.x, at.size.y);
    const wxImage scaled = bitmap.ConvertToImage().Scale(side, side, wxIMAGE_QUALITY_HIGH);
    return new wxStaticBitmap(parent, c.id, wxBitmap(scaled), at.pos, at.size);
}

using Maker = wxWindow* (*)(wxWindow*, const ControlTemplate&, const Placement&, const wxIcon&);

// Indexed by ControlKind.
constexpr Maker MAKERS[] = {
    MakeDefaultButton, MakeButton, MakeEdit, MakeMultiLineEdit, MakeLabel, MakeCheckBox, MakeIcon,
};
static_assert(std::size(MAKERS) == static_cast<std::size_t>(ControlKind::icon) + 1,
              "one maker for every kind of control");

}  // namespace

void CreateTemplateControls(wxWindow* parent, const DialogTemplate& dialog, const wxIcon& icon)
{
    for (std::size_t i = 0; i < dialog.count; ++i) {
        const ControlTemplate& c = dialog.controls[i];
        const Placement at{wxDLG_UNIT(parent, wxPoint(c.x, c.y)), wxDLG_UNIT(parent, wxSize(c.w, c.h))};
        MAKERS[static_cast<int>(c.kind)](parent, c, at, icon);
    }
}

wxSize TemplateSize(wxWindow* parent, const DialogTemplate& dialog)
{
    return wxDLG_UNIT(parent, wxSize(dialog.w, dialog.h));
}
