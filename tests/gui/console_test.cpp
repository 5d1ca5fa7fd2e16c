// The console: the tap that catches a descriptor's output without ever
// making the writer wait, and the window that shows it.
#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>

#include "gui_support.h"
#include "ui/console_ui.h"
#include "ui/stdout_tap.h"

namespace {

// A descriptor of our own standing in for standard output, backed by a pipe
// whose far end plays the terminal.
class TapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::pipe(m_terminal), 0);
        ::fcntl(m_terminal[0], F_SETFL, ::fcntl(m_terminal[0], F_GETFL) | O_NONBLOCK);
        m_fd = ::dup(m_terminal[1]);
        ASSERT_GE(m_fd, 0);
    }

    void TearDown() override
    {
        m_tap.Stop();
        ::close(m_fd);
        ::close(m_terminal[0]);
        ::close(m_terminal[1]);
    }

    void Write(const std::string& text) const
    {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t put = ::write(m_fd, text.data() + done, text.size() - done);
            ASSERT_GT(put, 0);
            done += static_cast<std::size_t>(put);
        }
    }

    // What reached the far end of the "terminal" so far.
    std::string TerminalText() const
    {
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(m_terminal[0], buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }

    int m_terminal[2] = {-1, -1};
    int m_fd = -1;
    CStdoutTap m_tap;
};

TEST_F(TapTest, TakeReturnsEverythingWrittenBeforeInOrder)
{
    ASSERT_TRUE(m_tap.Start(m_fd, false, nullptr));
    Write("Finished Processing file: a\r\n");
    Write("Finished Processing file: b\r\n");
    EXPECT_EQ(m_tap.Take(), "Finished Processing file: a\r\nFinished Processing file: b\r\n");
    EXPECT_EQ(m_tap.Take(), "");
}

TEST_F(TapTest, WriterNeverWaitsForTheWindow)
{
    ASSERT_TRUE(m_tap.Start(m_fd, false, nullptr));
    // Far more than a pipe holds, with nobody taking the text meanwhile.
    const std::string line(99, 'x');
    for (int i = 0; i < 20000; ++i) {
        Write(line + "\n");
    }
    EXPECT_EQ(m_tap.Take().size(), 20000U * 100U);
}

TEST_F(TapTest, QueueKeepsTheNewestTextWithinItsBound)
{
    ASSERT_TRUE(m_tap.Start(m_fd, false, nullptr));
    const std::string line(1023, 'y');
    for (int i = 0; i < 6 * 1024; ++i) {
        Write(line + "\n");
    }
    Write("last line\n");
    const std::string text = m_tap.Take();
    EXPECT_LE(text.size(), CStdoutTap::MAX_QUEUED);
    EXPECT_GT(text.size(), CStdoutTap::MAX_QUEUED / 2);
    EXPECT_EQ(text.substr(text.size() - 10), "last line\n");
}

TEST_F(TapTest, ForwardedTextAlsoReachesTheFormerTarget)
{
    ASSERT_TRUE(m_tap.Start(m_fd, true, nullptr));
    Write("to both\n");
    EXPECT_EQ(m_tap.Take(), "to both\n");
    m_tap.Stop();
    EXPECT_EQ(TerminalText(), "to both\n");
}

TEST_F(TapTest, WithoutForwardingTheFormerTargetGetsNothing)
{
    ASSERT_TRUE(m_tap.Start(m_fd, false, nullptr));
    Write("window only\n");
    EXPECT_EQ(m_tap.Take(), "window only\n");
    m_tap.Stop();
    EXPECT_EQ(TerminalText(), "");
}

TEST_F(TapTest, StopPutsTheDescriptorBack)
{
    ASSERT_TRUE(m_tap.Start(m_fd, false, nullptr));
    m_tap.Stop();
    EXPECT_FALSE(m_tap.IsRunning());
    Write("after\n");
    EXPECT_EQ(TerminalText(), "after\n");
}

TEST_F(TapTest, NotifyFiresWhenTextArrivesInAnEmptyQueue)
{
    std::atomic<int> calls{0};
    ASSERT_TRUE(m_tap.Start(m_fd, false, [&calls] { ++calls; }));
    Write("one\n");
    for (int i = 0; i < 200 && calls == 0; ++i) {
        ::usleep(5000);
    }
    EXPECT_GE(calls.load(), 1);
    EXPECT_EQ(m_tap.Take(), "one\n");
}

TEST(ConsoleWindowTest, TitleNamesTheContactAddress)
{
    EXPECT_EQ(ConsoleTitle(), "Data conversion by quillmere@example.org");
    CConsoleWindow window;
    EXPECT_EQ(window.GetTitle(), ConsoleTitle());
    window.Destroy();
}

TEST(ConsoleWindowTest, CloseIsRefused)
{
    OpenDiagnosticConsole();
    CConsoleWindow* console = DiagnosticConsole();
    ASSERT_NE(console, nullptr);
    EXPECT_FALSE(console->Close());
    guitest::Pump(20);
    EXPECT_EQ(DiagnosticConsole(), console);
    EXPECT_TRUE(console->IsShown());
    EXPECT_FALSE(console->HasFlag(wxCLOSE_BOX));
}

TEST(ConsoleWindowTest, ShowsLinesWithoutCarriageReturns)
{
    auto* window = new CConsoleWindow();
    window->AppendOutput("Finished Processing file: /d/a.idf\r\n");
    window->AppendOutput("Finished Processing file: /d/b.idf\r");
    EXPECT_EQ(window->GetShownText(),
              "Finished Processing file: /d/a.idf\nFinished Processing file: /d/b.idf");
    window->AppendOutput("\n");
    EXPECT_EQ(window->GetShownText(),
              "Finished Processing file: /d/a.idf\nFinished Processing file: /d/b.idf\n");
    window->Destroy();
}

TEST(ConsoleWindowTest, KeepsOnlyTheNewestLinesWhenFull)
{
    auto* window = new CConsoleWindow();
    const std::string line = std::string(199, 'z') + "\n";
    std::string block;
    for (int i = 0; i < 1000; ++i) {
        block += line;
    }
    for (int i = 0; i < 7; ++i) {
        window->AppendOutput(block);
    }
    window->AppendOutput("newest\n");
    const wxString shown = window->GetShownText();
    EXPECT_LE(shown.length(), CConsoleWindow::MAX_SHOWN);
    EXPECT_TRUE(shown.EndsWith("newest\n"));
    EXPECT_TRUE(shown.StartsWith(line.substr(0, 10)));
    window->Destroy();
}

TEST(ConsoleWindowTest, StandardOutputReachesTheWindow)
{
    OpenDiagnosticConsole();
    std::printf("console check %d\n", 42);
    std::fflush(stdout);
    ShowPendingConsoleOutput();
    EXPECT_TRUE(DiagnosticConsole()->GetShownText().Contains("console check 42\n"));
}

TEST(ConsoleWindowTest, OutputArrivesWithoutBeingAskedFor)
{
    OpenDiagnosticConsole();
    std::printf("unprompted line\n");
    std::fflush(stdout);
    EXPECT_TRUE(
        guitest::PumpUntil([] { return DiagnosticConsole()->GetShownText().Contains("unprompted line\n"); }));
}

}  // namespace
