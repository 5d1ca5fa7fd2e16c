// Runs the GUI tests inside a real toolkit application with an active event
// loop, as the program's handlers expect one (they yield to it).
#include <clocale>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include "ui/console_ui.h"
#include "ui/converter_app.h"

namespace {

// An application object that opens no window of its own.
class CTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The test runner reads standard output through a pipe; the console
    // must pass the test report on.
    SetConsoleForwardAlways(true);
    wxApp::SetInstance(new CTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        return 2;
    }
    InstallDesktopServices();
    int result = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = RUN_ALL_TESTS();
        CloseDiagnosticConsole();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
