#include "ui/main_icon.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include "ui/quillmere.xpm"

namespace {

// Sizes offered besides the full 64 x 64 image.
constexpr int SMALLER_SIDES[] = {48, 32, 16};

}  // namespace

wxIcon LoadMainIcon()
{
    return wxIcon(quillmere_xpm);
}

wxIconBundle MainIconBundle()
{
    const wxIcon full = LoadMainIcon();
    wxIconBundle bundle(full);
    wxBitmap bitmap;
    bitmap.CopyFromIcon(full);
    const wxImage image = bitmap.ConvertToImage();
    for (int side : SMALLER_SIDES) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(image.Scale(side, side, wxIMAGE_QUALITY_HIGH)));
        bundle.AddIcon(icon);
    }
    return bundle;
}
