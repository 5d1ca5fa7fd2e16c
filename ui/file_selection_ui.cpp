#include "ui/file_selection_ui.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>

#include "ui/file_selection.h"

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
