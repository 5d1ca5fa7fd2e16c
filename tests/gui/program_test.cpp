// The real program in its own process: it opens the dialog and the console,
// the console's close box is refused, and the dialog's close box ends the
// program with exit status 0. Windows are found and closed through the X
// server, as a window manager would, so no window manager is needed.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// Before the X headers, whose macros (None, Bool) would clash with it.
#include <gtest/gtest.h>

#include "gui_support.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace std::chrono_literals;

constexpr const char* DIALOG_CAPTION = "Quillmere_IV_To TXT(Brenholt)";
constexpr const char* CONSOLE_CAPTION = "Data conversion by quillmere@example.org";

std::string WindowName(Display* display, Window window)
{
    XTextProperty property;
    if (XGetWMName(display, window, &property) == 0 || property.value == nullptr) {
        return {};
    }
    std::string name(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
    return name;
}

// The top-level window titled `caption`, or 0.
Window FindWindowNamed(Display* display, const std::string& caption)
{
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable && WindowName(display, children[i]) == caption) {
                found = children[i];
            }
        }
        XFree(children);
    }
    return found;
}

// Asks a window to close the way a title bar's close box does.
void SendCloseRequest(Display* display, Window window)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr) << "no X display";
        m_dir = guitest::MakeTempDir("quillmere-prog").string();
        ASSERT_FALSE(m_dir.empty());
    }

    void TearDown() override
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
        ::unlink((m_dir + "/out.txt").c_str());
        ::rmdir(m_dir.c_str());
    }

    void Start()
    {
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            if (::chdir(m_dir.c_str()) != 0) {
                ::_exit(126);
            }
            const int out = ::open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, STDOUT_FILENO);
            ::execl(QUILLMERE_GUI_EXE, QUILLMERE_GUI_EXE, static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    Window WaitForWindow(const std::string& caption)
    {
        for (auto end = std::chrono::steady_clock::now() + 15s; std::chrono::steady_clock::now() < end;) {
            if (Window window = FindWindowNamed(m_display, caption)) {
                return window;
            }
            std::this_thread::sleep_for(50ms);
        }
        return 0;
    }

    // The exit status, or -1 while the program still runs after `patience`.
    int WaitForExit(std::chrono::milliseconds patience)
    {
        for (auto end = std::chrono::steady_clock::now() + patience;;) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_reaped = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() >= end) {
                return -1;
            }
            std::this_thread::sleep_for(20ms);
        }
    }

    Display* m_display = nullptr;
    std::string m_dir;
    pid_t m_pid = -1;
    bool m_reaped = false;
};

TEST_F(ProgramTest, CloseBoxOfTheDialogEndsTheProgramWithStatusZero)
{
    Start();
    const Window dialog = WaitForWindow(DIALOG_CAPTION);
    ASSERT_NE(dialog, 0U);
    ASSERT_NE(WaitForWindow(CONSOLE_CAPTION), 0U);
    SendCloseRequest(m_display, dialog);
    EXPECT_EQ(WaitForExit(10s), 0);
}

TEST_F(ProgramTest, CloseBoxOfTheConsoleIsRefused)
{
    Start();
    const Window dialog = WaitForWindow(DIALOG_CAPTION);
    const Window console = WaitForWindow(CONSOLE_CAPTION);
    ASSERT_NE(dialog, 0U);
    ASSERT_NE(console, 0U);
    SendCloseRequest(m_display, console);
    EXPECT_EQ(WaitForExit(700ms), -1) << "the program ended";
    EXPECT_NE(FindWindowNamed(m_display, CONSOLE_CAPTION), 0U);
    SendCloseRequest(m_display, dialog);
    EXPECT_EQ(WaitForExit(10s), 0);
}

}  // namespace
