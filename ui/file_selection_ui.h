// Where picked files come from: the open-file dialog and files dropped
// onto the main dialog.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <wx/dnd.h>

class wxWindow;

// Full paths of the picked files in the order the dialog lists them; no
// value when the user cancelled.
using PickedFiles = std::optional<std::vector<std::string>>;

// Runs the multiple-selection open-file dialog over `parent`. On OK the
// current directory becomes the folder of the picked files.
PickedFiles PickFilesWithDialog(wxWindow* parent);

// Hands the full paths of files dropped onto a window to `onDrop`.
class CFileDrop : public wxFileDropTarget {
public:
    // `onDrop` receives the dropped paths in the order the file manager sent them.
    explicit CFileDrop(std::function<void(const std::vector<std::string>&)> onDrop);

    // Called by the toolkit for a drop; always accepts it.
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& filenames) override;

private:
    std::function<void(const std::vector<std::string>&)> m_onDrop;
};
