#include "ui/file_selection_ui.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>

#include "ui/file_selection.h"

namespace {

std::vector<std::string> ToPaths(const wxArrayString& names)
{
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const wxString& name : names) {
        paths.push_back(name.utf8_string());
    }
    return paths;
}

}  // namespace

PickedFiles PickFilesWithDialog(wxWindow* parent)
{
    wxFileDialog dialog(parent, "Open", wxEmptyString, wxEmptyString, FILE_DIALOG_FILTER,
                        wxFD_OPEN | wxFD_MULTIPLE | wxFD_CHANGE_DIR);
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    wxArrayString names;
    dialog.GetPaths(names);
    std::vector<std::string> paths;
    for (const wxString& name : names) {
        paths.push_back(WithDefaultExtension(name.utf8_string(), DEFAULT_EXTENSION, wxFileExists(name)));
    }
    return paths;
}

CFileDrop::CFileDrop(std::function<void(const std::vector<std::string>&)> onDrop)
    : m_onDrop(std::move(onDrop))
{
}

bool CFileDrop::OnDropFiles(wxCoord, wxCoord, const wxArrayString& filenames)
{
    m_onDrop(ToPaths(filenames));
    return true;
}
