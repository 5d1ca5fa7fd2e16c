#include "ui/drop_target.h"

#include <wx/window.h>

CFileDrop::CFileDrop(DropHandler onDrop) : m_onDrop(std::move(onDrop))
{
    // A file manager may suggest moving the files; the dialog only reads them.
    SetDefaultAction(wxDragCopy);
}

bool CFileDrop::OnDropFiles(wxCoord, wxCoord, const wxArrayString& filenames)
{
    std::vector<std::string> paths;
    paths.reserve(filenames.size());
    for (const wxString& name : filenames) {
        paths.push_back(name.utf8_string());
    }
    m_onDrop(paths);
    return true;
}

namespace {

// A control's own drop handling (a text box pastes dropped text and turns
// away a drag of files alone) is first replaced by a drop target and then
// removed with it, so a drop over the control reaches the window behind it.
void LeaveDropsToParent(wxWindow* window, const DropHandler& onDrop)
{
    window->SetDropTarget(new CFileDrop(onDrop));
    window->SetDropTarget(nullptr);
    for (wxWindow* child : window->GetChildren()) {
        LeaveDropsToParent(child, onDrop);
    }
}

}  // namespace

void AcceptDroppedFiles(wxWindow* window, const DropHandler& onDrop)
{
    window->SetDropTarget(new CFileDrop(onDrop));
    for (wxWindow* child : window->GetChildren()) {
        LeaveDropsToParent(child, onDrop);
    }
}
