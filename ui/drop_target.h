// Files dropped anywhere on a window: the window takes every drop, and no
// control inside it takes one for itself (a text box would paste the
// dropped paths as text, or turn away a drag that offers only files).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/dnd.h>

class wxWindow;

// Receives the full paths of the dropped files in the order the file manager sent them.
using DropHandler = std::function<void(const std::vector<std::string>& paths)>;

// Takes dropped files, never text, and always as a copy: the dropped files
// stay where they are.
class CFileDrop : public wxFileDropTarget {
public:
    explicit CFileDrop(DropHandler onDrop);

    // Called by the toolkit for a drop; hands the paths on and accepts it.
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& filenames) override;

private:
    DropHandler m_onDrop;
};

// Gives `window` a CFileDrop calling `onDrop` and takes every window inside
// it, at any depth, out of drop handling, so that all drops reach `window`.
void AcceptDroppedFiles(wxWindow* window, const DropHandler& onDrop);
