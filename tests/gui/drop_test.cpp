// Files dragged from a file manager onto the main dialog. A real drag
// source on its own X connection speaks the drag-and-drop protocol to the
// dialog's window, as a file manager does: it offers a URI list alone or
// together with plain text, moves over a point of the dialog and drops. The
// dialog's own drop targets take it from there; the tests check what was
// accepted and asked for, the job table, the list text and what OK converts.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Before the X headers, whose macros (None, Bool) would clash with them.
#include <gtest/gtest.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "batch/job_table.h"
#include "gui_support.h"
#include "ui/resource.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using guitest::DialogTest;
using guitest::ReadBytes;
using guitest::TestData;
namespace fs = std::filesystem;

constexpr const char* URI_LIST = "text/uri-list";
constexpr long XDND_VERSION = 5;

// One form of the dragged data: its type name and its bytes.
struct Offer {
    std::string type;
    std::string bytes;
};

// What the drop target answered.
struct DropResult {
    bool accepted = false;           // the last status message accepted the drop
    int finished = 0;                // how often the target said it was done
    bool succeeded = false;          // ... and that it took the data
    std::vector<std::string> asked;  // the types it asked for, in order
};

// `path` as a file URI, with every byte outside the unreserved set escaped.
std::string FileUri(const std::string& path)
{
    std::string uri = "file://";
    for (const unsigned char ch : path) {
        if (std::isalnum(ch) != 0 ||
            std::string_view("/-._~").find(static_cast<char>(ch)) != std::string_view::npos) {
            uri += static_cast<char>(ch);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", ch);
            uri += escaped;
        }
    }
    return uri;
}

// The forms a file manager offers for `paths`: the URI list, and with
// `withText` the paths as plain text besides.
std::vector<Offer> FileOffers(const std::vector<std::string>& paths, bool withText)
{
    Offer uris{URI_LIST, ""};
    std::string text;
    for (const std::string& path : paths) {
        uris.bytes += FileUri(path) + "\r\n";
        text += (text.empty() ? "" : "\n") + path;
    }
    std::vector<Offer> offers{uris};
    if (withText) {
        offers.push_back({"text/plain;charset=utf-8", text});
        offers.push_back({"UTF8_STRING", text});
        offers.push_back({"text/plain", text});
    }
    return offers;
}

// A drag source on its own connection to the display, owning the drag's
// selection while a drag runs.
class DragSource {
public:
    DragSource() : m_display(XOpenDisplay(nullptr))
    {
        if (m_display == nullptr) {
            return;
        }
        m_root = DefaultRootWindow(m_display);
        m_window = XCreateSimpleWindow(m_display, m_root, 0, 0, 1, 1, 0, 0, 0);
    }
    ~DragSource()
    {
        if (m_display != nullptr) {
            XDestroyWindow(m_display, m_window);
            XCloseDisplay(m_display);
        }
    }
    DragSource(const DragSource&) = delete;
    DragSource& operator=(const DragSource&) = delete;

    bool IsOpen() const { return m_display != nullptr; }

    // Drags `offers` to the screen point (x, y) and drops them there when the
    // window under it accepts; leaves otherwise.
    DropResult Drop(int x, int y, const std::vector<Offer>& offers)
    {
        m_offers = offers;
        m_result = DropResult{};
        m_status = false;
        const Window target = DropWindowAt(x, y);
        if (target == None) {
            ADD_FAILURE() << "no window at " << x << "," << y << " takes drops";
            return m_result;
        }
        XSetSelectionOwner(m_display, Intern("XdndSelection"), m_window, CurrentTime);
        SendEnter(target);
        Send(target, "XdndPosition",
             {static_cast<long>(m_window), 0, (x << 16) | y, CurrentTime,
              static_cast<long>(Intern("XdndActionCopy"))});
        PumpUntil([this] { return m_status; });
        if (!m_result.accepted) {
            Send(target, "XdndLeave", {static_cast<long>(m_window), 0, 0, 0, 0});
            guitest::Pump(50);
            return m_result;
        }
        Send(target, "XdndDrop", {static_cast<long>(m_window), 0, CurrentTime, 0, 0});
        PumpUntil([this] { return m_result.finished > 0; });
        guitest::Pump(30);  // a second answer would come now
        HandleEvents();
        return m_result;
    }

private:
    ::Atom Intern(const char* name) const { return XInternAtom(m_display, name, False); }

    std::string AtomName(::Atom atom) const
    {
        char* name = XGetAtomName(m_display, atom);
        std::string text = name != nullptr ? name : "";
        XFree(name);
        return text;
    }

    // The window a drop at (x, y) reaches: the deepest window there that
    // declares itself a drop site, as a file manager finds it.
    Window DropWindowAt(int x, int y) const
    {
        Window found = None;
        Window current = m_root;
        for (;;) {
            int localX = 0;
            int localY = 0;
            Window child = None;
            XTranslateCoordinates(m_display, m_root, current, x, y, &localX, &localY, &child);
            if (child == None) {
                return found;
            }
            current = child;
            if (IsDropSite(current)) {
                found = current;
            }
        }
    }

    bool IsDropSite(Window window) const
    {
        ::Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(m_display, window, Intern("XdndAware"), 0, 1, False, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        XFree(data);
        return type != None;
    }

    void SendEnter(Window target)
    {
        std::vector<::Atom> types;
        for (const Offer& offer : m_offers) {
            types.push_back(Intern(offer.type.c_str()));
        }
        XChangeProperty(m_display, m_window, Intern("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(types.data()), static_cast<int>(types.size()));
        std::vector<long> data{static_cast<long>(m_window), (XDND_VERSION << 24) | (types.size() > 3 ? 1 : 0),
                               0, 0, 0};
        for (std::size_t i = 0; i < types.size() && i < 3; ++i) {
            data[2 + i] = static_cast<long>(types[i]);
        }
        Send(target, "XdndEnter", data);
    }

    void Send(Window target, const char* message, const std::vector<long>& data)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = Intern(message);
        event.xclient.format = 32;
        for (std::size_t i = 0; i < data.size() && i < 5; ++i) {
            event.xclient.data.l[i] = data[i];
        }
        XSendEvent(m_display, target, False, NoEventMask, &event);
        XFlush(m_display);
    }

    // Lets the dialog run and answers what reaches the source until `done`.
    void PumpUntil(const std::function<bool()>& done)
    {
        guitest::PumpUntil([&] {
            HandleEvents();
            return done();
        });
    }

    void HandleEvents()
    {
        XSync(m_display, False);
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == SelectionRequest) {
                AnswerRequest(event.xselectionrequest);
            } else if (event.type == ClientMessage && event.xclient.message_type == Intern("XdndStatus")) {
                m_status = true;
                m_result.accepted = (event.xclient.data.l[1] & 1) != 0;
            } else if (event.type == ClientMessage && event.xclient.message_type == Intern("XdndFinished")) {
                ++m_result.finished;
                m_result.succeeded = (event.xclient.data.l[1] & 1) != 0;
            }
        }
    }

    void AnswerRequest(const XSelectionRequestEvent& request)
    {
        const std::string type = AtomName(request.target);
        m_result.asked.push_back(type);
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        const auto offer =
            std::find_if(m_offers.begin(), m_offers.end(), [&](const Offer& o) { return o.type == type; });
        if (offer != m_offers.end()) {
            const ::Atom property = request.property != None ? request.property : request.target;
            XChangeProperty(m_display, request.requestor, property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offer->bytes.data()),
                            static_cast<int>(offer->bytes.size()));
            reply.xselection.property = property;
        }
        XSendEvent(m_display, request.requestor, False, NoEventMask, &reply);
        XFlush(m_display);
    }

    Display* m_display = nullptr;
    Window m_root = None;
    Window m_window = None;
    std::vector<Offer> m_offers;
    DropResult m_result;
    bool m_status = false;
};

// Where on the dialog a drop lands.
enum class Spot { FileList, Background, AreaBox, ClearButton };

class DropTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(m_source.IsOpen());
    }

    // A screen point inside `spot`.
    wxPoint PointOf(Spot spot) const
    {
        switch (spot) {
            case Spot::FileList:
                return Centre(m_dlg->FindWindow(IDC_FILE_LIST)->GetScreenRect());
            case Spot::AreaBox:
                return Centre(m_dlg->FindWindow(IDC_AREA)->GetScreenRect());
            case Spot::ClearButton:
                return Centre(m_dlg->FindWindow(IDC_CLEAR)->GetScreenRect());
            case Spot::Background:
                break;
        }
        // Left of the file list, where no control lies.
        const wxRect list = m_dlg->FindWindow(IDC_FILE_LIST)->GetScreenRect();
        const wxPoint point(m_dlg->GetScreenRect().x + (list.x - m_dlg->GetScreenRect().x) / 2,
                            list.y + list.height / 2);
        EXPECT_EQ(wxFindWindowAtPoint(point), m_dlg);
        return point;
    }

    static wxPoint Centre(const wxRect& rect) { return {rect.x + rect.width / 2, rect.y + rect.height / 2}; }

    DropResult DropAt(Spot spot, const std::vector<Offer>& offers)
    {
        const wxPoint point = PointOf(spot);
        return m_source.Drop(point.x, point.y, offers);
    }

    // A sweep and an impedance export whose outputs are known for area 1.0.
    std::string Sweep(const fs::path& path) const
    {
        fs::create_directories(path.parent_path());
        guitest::WriteBytes(path, ReadBytes(TestData("iv_line_ends_crlf/input.idf")));
        return path.string();
    }
    std::string Export(const fs::path& path) const
    {
        fs::create_directories(path.parent_path());
        guitest::WriteBytes(path, ReadBytes(TestData("eis_line_ends_crlf/input.csv")));
        return path.string();
    }

    std::vector<std::string> JobSources() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < g_jobCount; ++i) {
            paths.push_back(g_sourceEntries[i].fullPath.str());
        }
        return paths;
    }

    // Runs OK and returns the files it wrote in the test folder, by name.
    std::map<std::string, std::string> ConvertAll()
    {
        std::map<std::string, std::string> before;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir)) {
            before[entry.path().string()] = "";
        }
        MarkConsole();
        Press(wxID_OK);
        std::map<std::string, std::string> written;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir)) {
            if (entry.is_regular_file() && before.count(entry.path().string()) == 0) {
                written[fs::relative(entry.path(), m_dir).string()] = ReadBytes(entry.path());
            }
        }
        return written;
    }

    DragSource m_source;
};

struct DropCase {
    const char* name;
    Spot spot;
    bool withText;
};

const DropCase DROP_CASES[] = {
    {"file list, URI list alone", Spot::FileList, false},
    {"file list, URI list and text", Spot::FileList, true},
    {"background, URI list alone", Spot::Background, false},
    {"background, URI list and text", Spot::Background, true},
    {"area box, URI list and text", Spot::AreaBox, true},
    {"Clear button, URI list and text", Spot::ClearButton, true},
};

TEST_F(DropTest, DroppedFilesBecomeJobsWhereverTheyLand)
{
    const std::string expectedSweep = ReadBytes(TestData("iv_line_ends_crlf/expected.txt"));
    const std::string expectedExport = ReadBytes(TestData("eis_line_ends_crlf/expected.txt"));
    for (const DropCase& c : DROP_CASES) {
        SCOPED_TRACE(c.name);
        Press(IDC_CLEAR);
        const fs::path dir = m_dir / c.name;
        const std::vector<std::string> files = {Export(dir / "z scan_B_02.csv"),
                                                Sweep(dir / "cell_A_07.idf")};

        const DropResult result = DropAt(c.spot, FileOffers(files, c.withText));

        EXPECT_TRUE(result.accepted);
        EXPECT_EQ(result.finished, 1);
        EXPECT_TRUE(result.succeeded);
        EXPECT_EQ(result.asked, std::vector<std::string>{URI_LIST});
        // In the order dragged, not sorted.
        EXPECT_EQ(JobSources(), files);
        EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "z scan_B_02\r\ncell_A_07\r\n");
        EXPECT_EQ(Text(IDC_AREA)->GetValue(), "1.0");
        EXPECT_TRUE(m_boxes.empty());

        const std::map<std::string, std::string> written = ConvertAll();
        const std::map<std::string, std::string> expected = {
            {(fs::path(c.name) / "z scan_B_02+IV.txt").string(), expectedExport},
            {(fs::path(c.name) / "cell_A_07+IV.txt").string(), expectedSweep},
        };
        EXPECT_EQ(written, expected);
        EXPECT_EQ(ConsoleLinesSinceMark(),
                  (std::vector<std::string>{"Finished Processing file: " + files[0],
                                            "Finished Processing file: " + files[1]}));
    }
}

TEST_F(DropTest, TextAloneIsRefusedAndNothingIsPasted)
{
    for (const Spot spot : {Spot::FileList, Spot::AreaBox, Spot::Background}) {
        const DropResult result = DropAt(spot, {{"text/plain;charset=utf-8", "/lab/cell_A_07.idf"},
                                                {"UTF8_STRING", "/lab/cell_A_07.idf"}});
        EXPECT_FALSE(result.accepted);
        EXPECT_TRUE(result.asked.empty());
    }
    EXPECT_EQ(g_jobCount, 0);
    EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "");
    EXPECT_EQ(Text(IDC_AREA)->GetValue(), "1.0");
}

TEST_F(DropTest, DroppedFolderBringsItsDataFilesSortedByName)
{
    const fs::path folder = m_dir / "run 12";
    const std::vector<std::string> data = {Sweep(folder / "B_sweep.idf"), Export(folder / "a_scan.csv"),
                                           Sweep(folder / "c_sweep.idf")};
    guitest::WriteBytes(folder / "notes.txt", "not data");
    Sweep(folder / "later" / "d_sweep.idf");

    for (const Spot spot : {Spot::FileList, Spot::Background}) {
        Press(IDC_CLEAR);
        const DropResult result = DropAt(spot, FileOffers({folder.string()}, true));
        EXPECT_TRUE(result.succeeded);
        EXPECT_EQ(JobSources(), (std::vector<std::string>{data[0], data[1], data[2]}));
        EXPECT_EQ(Text(IDC_FILE_LIST)->GetValue(), "B_sweep\r\na_scan\r\nc_sweep\r\n");
    }
    const std::map<std::string, std::string> written = ConvertAll();
    std::vector<std::string> names;
    for (const auto& [name, bytes] : written) {
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"run 12/B_sweep+IV.txt", "run 12/a_scan+IV.txt",
                                               "run 12/c_sweep+IV.txt"}));
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(DropTest, FolderWithoutDataFilesAddsNothingAndSaysSo)
{
    const fs::path folder = m_dir / "notes only";
    fs::create_directories(folder / "sub.idf");
    guitest::WriteBytes(folder / "readme.txt", "text");
    const std::string single = Sweep(m_dir / "single.idf");

    const DropResult result = DropAt(Spot::FileList, FileOffers({folder.string(), single}, false));

    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(JobSources(), std::vector<std::string>{single});
    ASSERT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_boxes[0], "Nothing was added from the folder " + folder.string() +
                              ": no data files (names with \".idf\" or \".csv\").");
}

TEST_F(DropTest, DropBeyondTheTableSaysHowManyWereLeftOutInOneMessage)
{
    const fs::path empty = m_dir / "empty";
    fs::create_directories(empty);
    std::vector<std::string> many;
    for (int i = 0; i < MAX_JOBS - 1; ++i) {
        many.push_back("/many/f" + std::to_string(i) + ".idf");
    }
    QueuePick(many);
    Press(IDC_BROWSE);
    const DropResult result = DropAt(
        Spot::Background, FileOffers({empty.string(), "/lab/a.idf", "/lab/b.csv", "/lab/c.csv"}, true));
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(g_jobCount, MAX_JOBS);
    EXPECT_EQ(g_sourceEntries[MAX_JOBS - 1].fullPath.str(), "/lab/a.idf");
    ASSERT_EQ(m_boxes.size(), 1U);
    EXPECT_EQ(m_boxes[0], "Nothing was added from the folder " + empty.string() +
                              // Paragraphs of one box are parted by CR LF pairs, as every message's lines.
                              ": no data files (names with \".idf\" or \".csv\").\r\n\r\n"
                              "The file list is full (1000 files). 2 files were not added.");
}

TEST_F(DropTest, TypingIntoTheFileListIsAsBefore)
{
    wxTextCtrl* list = Text(IDC_FILE_LIST);
    guitest::ClickCentre(list);
    wxUIActionSimulator().Text("42");
    EXPECT_TRUE(guitest::PumpUntil([&] { return list->GetValue() == "42"; }, 1500)) << list->GetValue();
    EXPECT_EQ(g_jobCount, 0);
}

}  // namespace
