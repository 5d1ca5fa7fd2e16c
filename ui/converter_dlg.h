// The main dialog: file list, area input, "Reduce File Name", OK runs the
// batch, Cancel ends the program. Its handlers are thin glue over the batch
// steps, which need no window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/icon.h>
#include <wx/menu.h>
#include <wx/weakref.h>

#include "platform/cstring.h"
#include "ui/file_selection_ui.h"

class wxCheckBox;
class CPreviewWindow;
class wxTextCtrl;
struct FileOutcome;

class CConverterDlg : public wxDialog {
public:
    // Picks the files for "..."; the default runs the open-file dialog.
    using FilePicker = std::function<PickedFiles(wxWindow* parent)>;
    // Runs a modal dialog (the About box) and returns the id that ended it.
    using ModalRunner = std::function<int(wxDialog& dialog)>;

    // Builds the dialog from the IDD_MAIN template with the window icon; no owner.
    CConverterDlg();

    // Replaces what "..." asks for files.
    void SetFilePicker(FilePicker picker);

    // Replaces how the About box is run.
    void SetModalRunner(ModalRunner runner);

    // Makes a job of each path, rewrites the file list and says how many did
    // not fit; "..." and dropped files both come here.
    void AddFiles(const std::vector<std::string>& paths);

    // Makes jobs of dropped paths: a folder gives the data files directly
    // inside it, sorted by name; one message names the folders that gave
    // none and the files that did not fit.
    void AddDroppedFiles(const std::vector<std::string>& dropped);

    // The icon shown for the minimised window while it is dragged.
    const wxIcon& OnQueryDragIcon() const;

    // The window menu where the platform draws none of its own (the
    // dialog's right-click menu); it carries the About entry on GTK, and
    // the preview's commands and the checkable "Scientific number format"
    // on every system.
    wxMenu& GetSystemMenu() { return m_systemMenu; }

    // Opens the preview of job `job` (a line of the file list), or shows it
    // in the preview window already open; nothing when no job is there.
    void OpenPreview(int job);
    // Lays job `job` over the open preview, or opens one.
    void AddToPreview(int job);
    // The job on the file list's line that holds the caret; -1 for none.
    int CaretJob() const;
    // The preview window, or nullptr while none is open.
    CPreviewWindow* GetPreviewWindow() const { return m_preview; }

private:
    // Routing, in the order of the event table.
    void OnSysCommand(wxCommandEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnAreaChanged(wxCommandEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnOpenLink(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);
    // Reached through the dialog's own buttons rather than the table above.
    void OnInitDialog(wxInitDialogEvent& event);
    void OnConvert(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnFileListDoubleClick(wxMouseEvent& event);

    // Adds jobs for `paths` and rewrites the file list; returns how many did not fit.
    int AddJobsAndList(const std::vector<std::string>& paths);
    void AddAboutEntry();
    void AddPreviewEntries();
    void AddNumberFormatEntry();
    // Runs a command of the right-click menu that is no window command;
    // false for an id that is none of them.
    bool RunMenuCommand(int id);
    void ShowAboutBox();
    void PlaceWithConsole();
    // One message for a run that a file error stopped at `inputPath`,
    // naming the files `before` it that gave no full output, if any.
    void ReportStoppedBatch(const CString& inputPath, const char* reason,
                            const std::vector<FileOutcome>& before);
#ifdef __WXMSW__
    // The About entry and its separator at the end of the window's own menu.
    void AppendAboutToSystemMenu(const CString& text);
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

    wxIcon m_hIcon;
    wxMenu m_systemMenu;
    FilePicker m_pickFiles;
    ModalRunner m_runModal;
    wxTextCtrl* m_fileList = nullptr;
    wxTextCtrl* m_area = nullptr;
    wxTextCtrl* m_areaEcho = nullptr;
    wxCheckBox* m_reduceName = nullptr;
    // "Scientific number format": kept for the session, never saved, and
    // taken into the conversion settings when OK is pressed.
    bool m_scientificFormat = false;
    // The one preview window; the user may close it at any time.
    wxWeakRef<CPreviewWindow> m_preview;

    wxDECLARE_EVENT_TABLE();
};

// Makes the progress line just printed visible at once: moves standard
// output into the console and lets paint and size events through while the
// batch still blocks the dialog, never user input.
void ShowProgressNow();
