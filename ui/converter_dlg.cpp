#include "ui/converter_dlg.h"

#include <optional>
#include <string>
#include <vector>

#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "batch/area.h"
#include "batch/batch_checks.h"
#include "batch/batch_run.h"
#include "batch/dropped_files.h"
#include "batch/job_table.h"
#include "batch/messages.h"
#include "batch/naming.h"
#include "engine/convert_file.h"
#include "engine/settings.h"
#include "platform/file_exception.h"
#include "platform/message_box.h"
#include "plot/plot_source.h"
#include "ui/about_box.h"
#include "ui/console_ui.h"
#include "ui/drop_target.h"
#include "ui/file_selection.h"
#include "ui/layout_ui.h"
#include "ui/main_icon.h"
#include "ui/preview_window.h"
#include "ui/resource.h"
#include "ui/system_menu.h"

namespace {

// Window commands the right-click menu offers besides the About entry,
// and what each does.
struct WindowCommand {
    int id;
    const char* label;
    void (*run)(wxDialog& dialog);
};

const WindowCommand WINDOW_COMMANDS[] = {
    {wxID_ICONIZE_FRAME, "Mi&nimize", [](wxDialog& dialog) { dialog.Iconize(); }},
    {wxID_CLOSE, "&Close", [](wxDialog& dialog) { dialog.Close(); }},
};

const WindowCommand* FindWindowCommand(int id)
{
    for (const WindowCommand& command : WINDOW_COMMANDS) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

// Runs the batch under a busy cursor into `report`; the reason it stopped
// early, if a file error stopped it. This is the one place where a failed
// run is caught.
std::optional<std::string> RunBatchReportingFailure(const BatchHooks& hooks, BatchReport& report)
{
    wxBusyCursor busy;
    try {
        report = RunTableBatch(hooks);
    } catch (const CException& error) {
        return error.GetErrorMessage().str();
    } catch (const std::exception& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

// What the user is told after a batch that ended without a file error: why
// nothing was converted, or which files gave no full output; empty when
// every file converted.
CString BatchReportMessage(const BatchReport& report)
{
    switch (report.result) {
        case BatchResult::areaUnusable:
            return CString(AREA_UNUSABLE_MESSAGE);
        case BatchResult::outputsCollide:
            return CollisionMessage(report.collisions);
        case BatchResult::ran:
            break;
    }
    // Lost small values are a paragraph of their own: those files did convert.
    return JoinParagraphs(ProblemFilesMessage(report.outcomes), SmallValuesMessage(report.outcomes));
}

template <typename T>
T* Control(wxWindow* parent, int id)
{
    return dynamic_cast<T*>(parent->FindWindow(id));
}

}  // namespace

wxBEGIN_EVENT_TABLE(CConverterDlg, wxDialog)
    EVT_MENU(wxID_ANY, CConverterDlg::OnSysCommand)
    EVT_PAINT(CConverterDlg::OnPaint)
    EVT_TEXT(IDC_AREA, CConverterDlg::OnAreaChanged)
    EVT_BUTTON(IDC_BROWSE, CConverterDlg::OnBrowse)
    EVT_BUTTON(IDC_LINK, CConverterDlg::OnOpenLink)
    EVT_BUTTON(IDC_CLEAR, CConverterDlg::OnClear)
    EVT_INIT_DIALOG(CConverterDlg::OnInitDialog)
    EVT_BUTTON(wxID_OK, CConverterDlg::OnConvert)
    EVT_BUTTON(wxID_CANCEL, CConverterDlg::OnCancel)
    EVT_CONTEXT_MENU(CConverterDlg::OnContextMenu)
wxEND_EVENT_TABLE()

CConverterDlg::CConverterDlg()
    : wxDialog(nullptr, IDD_MAIN, MAIN_DIALOG_TEMPLATE.caption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
      m_hIcon(LoadMainIcon()),
      m_pickFiles(PickFilesWithDialog),
      m_runModal([](wxDialog& dialog) { return dialog.ShowModal(); })
{
    SetClientSize(TemplateSize(this, MAIN_DIALOG_TEMPLATE));
    CreateTemplateControls(this, MAIN_DIALOG_TEMPLATE, m_hIcon);
    m_fileList = Control<wxTextCtrl>(this, IDC_FILE_LIST);
    m_area = Control<wxTextCtrl>(this, IDC_AREA);
    m_areaEcho = Control<wxTextCtrl>(this, IDC_AREA_ECHO);
    m_reduceName = Control<wxCheckBox>(this, IDC_REDUCE_NAME);
    // Dropped files count wherever they land, the file list and the other
    // controls included.
    AcceptDroppedFiles(this, [this](const std::vector<std::string>& paths) { AddDroppedFiles(paths); });
    m_fileList->Bind(wxEVT_LEFT_DCLICK, &CConverterDlg::OnFileListDoubleClick, this);
    PlaceWithConsole();
}

void CConverterDlg::SetFilePicker(FilePicker picker)
{
    m_pickFiles = std::move(picker);
}

void CConverterDlg::SetModalRunner(ModalRunner runner)
{
    m_runModal = std::move(runner);
}

void CConverterDlg::AddFiles(const std::vector<std::string>& paths)
{
    const int refused = AddJobsAndList(paths);
    if (refused > 0) {
        AfxMessageBox(RefusedFilesMessage(refused));
    }
}

void CConverterDlg::AddDroppedFiles(const std::vector<std::string>& dropped)
{
    DroppedFiles files;
    {
        wxBusyCursor busy;  // a folder on a slow share takes a while to list
        files = ExpandDroppedPaths(dropped);
    }
    const int refused = AddJobsAndList(files.jobPaths);
    // One message for everything the drop did not add.
    const CString message = JoinParagraphs(SkippedFoldersMessage(files.skippedFolders),
                                           refused > 0 ? RefusedFilesMessage(refused) : CString());
    if (!message.IsEmpty()) {
        AfxMessageBox(message);
    }
}

int CConverterDlg::AddJobsAndList(const std::vector<std::string>& paths)
{
    const int refused = AddJobs(paths);
    RebuildFileListText();
    m_fileList->SetValue(wxString::FromUTF8(g_fileListText.c_str()));
    return refused;
}

const wxIcon& CConverterDlg::OnQueryDragIcon() const
{
    return m_hIcon;
}

void CConverterDlg::OnInitDialog(wxInitDialogEvent& event)
{
    wxDialog::OnInitDialog(event);
    AddPreviewEntries();
    AddNumberFormatEntry();
    AddAboutEntry();
    SetIcons(MainIconBundle());
    OpenDiagnosticConsole();
    // SetValue, unlike ChangeValue, raises the change event, so this runs
    // OnAreaChanged: area 1.0, flag 1, echo "Area=1.000000".
    m_area->SetValue("1.0");
}

void CConverterDlg::OnSysCommand(wxCommandEvent& event)
{
    if (IsAboutCommand(event.GetId())) {
        ShowAboutBox();
        return;
    }
    if (const WindowCommand* command = FindWindowCommand(event.GetId())) {
        command->run(*this);
        return;
    }
    if (RunMenuCommand(event.GetId())) {
        return;
    }
    event.Skip();
}

void CConverterDlg::OnPaint(wxPaintEvent& event)
{
    if (!IsIconized()) {
        event.Skip();
        return;
    }
    wxPaintDC dc(this);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    const int metricW = wxSystemSettings::GetMetric(wxSYS_ICON_X, this);
    const int metricH = wxSystemSettings::GetMetric(wxSYS_ICON_Y, this);
    const int iconW = metricW > 0 ? metricW : m_hIcon.GetWidth();
    const int iconH = metricH > 0 ? metricH : m_hIcon.GetHeight();
    const wxSize client = GetClientSize();
    const PixelPoint at = IconOrigin(client.x, client.y, iconW, iconH);
    dc.DrawIcon(m_hIcon, at.x, at.y);
}

void CConverterDlg::OnAreaChanged(wxCommandEvent&)
{
    const std::string text = m_area->GetValue().utf8_string();
    m_areaEcho->SetValue(wxString::FromUTF8(ApplyAreaText(text.c_str()).c_str()));
}

void CConverterDlg::OnBrowse(wxCommandEvent&)
{
    const PickedFiles picked = m_pickFiles(this);
    // A cancel still rewrites the list from the table.
    AddFiles(picked ? *picked : std::vector<std::string>{});
}

void CConverterDlg::OnOpenLink(wxCommandEvent&)
{
    wxLaunchDefaultBrowser(HOME_PAGE_URL);
}

void CConverterDlg::OnClear(wxCommandEvent&)
{
    ClearJobs();
    m_fileList->SetValue(wxEmptyString);
}

void CConverterDlg::OnConvert(wxCommandEvent&)
{
    CString current;
    // Gathered as the jobs end, so a run that a file error stops still
    // knows what became of the files before it.
    std::vector<FileOutcome> outcomes;
    BatchHooks hooks;
    hooks.reduceName = [this] { return m_reduceName->IsChecked(); };
    g_scientificFormat = m_scientificFormat;
    hooks.jobStarting = [&current](int job) { current = g_sourceEntries[job].fullPath; };
    hooks.jobReported = [&outcomes](int, const FileOutcome& outcome) { outcomes.push_back(outcome); };
    hooks.jobDone = [](int) { ShowProgressNow(); };
    BatchReport report;
    const std::optional<std::string> failure = RunBatchReportingFailure(hooks, report);
    if (failure) {
        ReportStoppedBatch(current, failure->c_str(), outcomes);
        return;
    }
    const CString message = BatchReportMessage(report);
    if (!message.IsEmpty()) {
        AfxMessageBox(message);
    }
}

void CConverterDlg::OnCancel(wxCommandEvent&)
{
    SetReturnCode(wxID_CANCEL);
    EndDialog(wxID_CANCEL);
}

void CConverterDlg::OnContextMenu(wxContextMenuEvent& event)
{
    // Controls keep their own menus; the window menu belongs to the dialog.
    if (event.GetEventObject() != this || m_systemMenu.GetMenuItemCount() == 0) {
        event.Skip();
        return;
    }
    PopupMenu(&m_systemMenu);
}

void CConverterDlg::OnFileListDoubleClick(wxMouseEvent& event)
{
    // The list still selects the word under the pointer, as it does.
    event.Skip();
    long column = 0;
    long row = 0;
    const wxTextCtrlHitTestResult hit = m_fileList->HitTest(event.GetPosition(), &column, &row);
    if (hit != wxTE_HT_ON_TEXT && hit != wxTE_HT_BEYOND) {
        return;  // below the last line, or nowhere the list can tell
    }
    // After the list has finished with the click, which may move the focus.
    const int job = static_cast<int>(row);
    CallAfter([this, job] { OpenPreview(job); });
}

int CConverterDlg::CaretJob() const
{
    long column = 0;
    long row = 0;
    if (!m_fileList->PositionToXY(m_fileList->GetInsertionPoint(), &column, &row)) {
        return -1;
    }
    return row < g_jobCount ? static_cast<int>(row) : -1;
}

void CConverterDlg::OpenPreview(int job)
{
    if (job < 0 || job >= g_jobCount) {
        return;
    }
    PlotSource source;
    {
        // A long file takes a moment to convert.
        wxBusyCursor busy;
        source = PreviewSource(g_sourceEntries[job].fullPath);
    }
    if (m_preview == nullptr) {
        m_preview = new CPreviewWindow(this);
        const wxRect dialog = GetScreenRect();
        const int screenIndex = wxDisplay::GetFromWindow(this);
        const wxRect screen =
            wxDisplay(screenIndex == wxNOT_FOUND ? 0U : static_cast<unsigned>(screenIndex)).GetClientArea();
        const wxSize size = m_preview->GetSize();
        const PixelPoint at = ConsoleOriginBeside({dialog.x, dialog.y, dialog.width, dialog.height},
                                                  {screen.x, screen.y, screen.width, screen.height}, size.x,
                                                  size.y, CONSOLE_GAP);
        m_preview->Move(at.x, at.y);
    }
    m_preview->ShowSources({std::move(source)});
    m_preview->Show();
    m_preview->Raise();
}

void CConverterDlg::AddToPreview(int job)
{
    if (m_preview == nullptr || !m_preview->IsShown()) {
        OpenPreview(job);
        return;
    }
    if (job < 0 || job >= g_jobCount) {
        return;
    }
    wxBusyCursor busy;
    m_preview->AddSource(PreviewSource(g_sourceEntries[job].fullPath));
    m_preview->Raise();
}

bool CConverterDlg::RunMenuCommand(int id)
{
    switch (id) {
        case IDM_PREVIEW:
            OpenPreview(CaretJob());
            return true;
        case IDM_ADD_TO_PREVIEW:
            AddToPreview(CaretJob());
            return true;
        case IDM_SCIENTIFIC_FORMAT:
            // The menu may have ticked the entry itself already; the
            // dialog's own state decides, and the entry shows it.
            m_scientificFormat = !m_scientificFormat;
            m_systemMenu.Check(IDM_SCIENTIFIC_FORMAT, m_scientificFormat);
            return true;
        default:
            return false;
    }
}

void CConverterDlg::AddPreviewEntries()
{
    if (m_systemMenu.FindItem(IDM_PREVIEW) != nullptr) {
        return;
    }
    // First in the menu: About stays its last entry, and the only separator
    // is the one before it.
    m_systemMenu.Insert(0, IDM_PREVIEW, "&Preview");
    m_systemMenu.Insert(1, IDM_ADD_TO_PREVIEW, "A&dd to preview");
}

void CConverterDlg::AddNumberFormatEntry()
{
    if (m_systemMenu.FindItem(IDM_SCIENTIFIC_FORMAT) != nullptr) {
        return;
    }
    // After the preview's entries and before the window's own commands, so
    // About stays last; on Windows the window's own menu keeps only About.
    const std::size_t at = m_systemMenu.FindItem(IDM_ADD_TO_PREVIEW) != nullptr ? 2 : 0;
    m_systemMenu.InsertCheckItem(at, IDM_SCIENTIFIC_FORMAT, "&Scientific number format");
    m_systemMenu.Check(IDM_SCIENTIFIC_FORMAT, m_scientificFormat);
}

void CConverterDlg::AddAboutEntry()
{
    const CString text = AboutEntryText();
#ifdef __WXMSW__
    AppendAboutToSystemMenu(text);
#else
    // GTK draws no window menu of its own: the dialog's right-click menu
    // stands in for it, with the usual commands and the About entry.
    if (m_systemMenu.FindItem(WINDOW_COMMANDS[0].id) != nullptr) {
        return;
    }
    for (const WindowCommand& command : WINDOW_COMMANDS) {
        m_systemMenu.Append(command.id, command.label);
    }
    if (!text.IsEmpty()) {
        m_systemMenu.AppendSeparator();
        m_systemMenu.Append(IDM_ABOUTBOX, text.c_str());
    }
#endif
}

void CConverterDlg::ShowAboutBox()
{
    CAboutBox about;
    m_runModal(about);
}

void CConverterDlg::PlaceWithConsole()
{
    const int screenIndex = wxDisplay::GetFromPoint(wxGetMousePosition());
    const wxDisplay display(screenIndex == wxNOT_FOUND ? 0U : static_cast<unsigned>(screenIndex));
    const wxRect area = display.GetClientArea();
    const wxSize dialog = GetSize();
    const wxSize console = DiagnosticConsoleSize();
    const PixelPoint at = DialogOriginForPair({area.x, area.y, area.width, area.height}, dialog.x, dialog.y,
                                              console.x, console.y, CONSOLE_GAP);
    Move(at.x, at.y);
}

void CConverterDlg::ReportStoppedBatch(const CString& inputPath, const char* reason,
                                       const std::vector<FileOutcome>& before)
{
    ShowPendingConsoleOutput();
    // One box: why the run stopped, then what the files before it gave
    // short of a full output, and which lost small values, if anything.
    AfxMessageBox(JoinParagraphs(StoppedRunMessage(inputPath, reason, before), SmallValuesMessage(before)));
}

void ShowProgressNow()
{
    ShowPendingConsoleOutput();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        loop->YieldFor(wxEVT_CATEGORY_UI);
    }
}
