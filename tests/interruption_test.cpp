// The interruption handler on its own: it removes the noted files, names the
// input, ends with the status of its signal or console event, and waits for
// a span that makes or removes a file together with its note.
#include "platform/interruption.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_util.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <chrono>
#include <thread>

#include "fileio/line_file.h"
#include "platform/sysio.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

class InterruptionHandlerTest : public testutil::TempDirTest {
protected:
    void TearDown() override
    {
        NoteUnfinished(UnfinishedFile::output, nullptr);
        NoteUnfinished(UnfinishedFile::work, nullptr);
        NoteCurrentInput(nullptr);
        TempDirTest::TearDown();
    }
};

#ifndef _WIN32

struct SignalCase {
    int signal;
    int exitStatus;
};

TEST_F(InterruptionHandlerTest, SignalDuringAHeldSpanIsHandledWhenTheSpanEnds)
{
    const SignalCase cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(c.signal);
        WriteFileBytes("work.tmp", "work");
        WriteFileBytes("out.tmp", "out");
        std::filesystem::remove("after-signal");
        std::filesystem::remove("after-span");
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(err, STDERR_FILENO);
            RemoveUnfinishedOnInterrupt("quillmere-test");
            NoteCurrentInput("in.idf");
            NoteUnfinished(UnfinishedFile::work, "work.tmp");
            {
                CInterruptionsHeld held;
                NoteUnfinished(UnfinishedFile::output, "out.tmp");
                raise(c.signal);
                WriteFileBytes("after-signal", "");
            }
            WriteFileBytes("after-span", "");
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), c.exitStatus);
        EXPECT_TRUE(Exists("after-signal")) << "the signal was handled inside the span";
        EXPECT_FALSE(Exists("after-span")) << "the signal was not handled when the span ended";
        EXPECT_FALSE(Exists("work.tmp"));
        EXPECT_FALSE(Exists("out.tmp"));
        EXPECT_EQ(ReadFileBytes("stderr.txt"), "quillmere-test: interrupted: in.idf was not finished\n");
    }
}

#else

// The console handler that RemoveUnfinishedOnInterrupt registers, and the
// statuses it would have ended the process with.
SysConsoleHandler g_handler = nullptr;
std::vector<unsigned int> g_statuses;

void CatchHandler()
{
    g_handler = nullptr;
    g_statuses.clear();
    Sys().setConsoleCtrlHandler = [](SysConsoleHandler handler, int add) {
        g_handler = add ? handler : nullptr;
        return 1;
    };
    Sys().exitProcess = [](unsigned int status) { g_statuses.push_back(status); };
    RemoveUnfinishedOnInterrupt("quillmere-test");
}

struct EventCase {
    const char* what;
    unsigned long event;
    unsigned int exitStatus;
};

TEST_F(InterruptionHandlerTest, ConsoleEventsRemoveTheNotedFilesAlsoWhileTheyAreOpen)
{
    const EventCase cases[] = {
        {"Ctrl+C", CTRL_C_EVENT, 130},
        {"Ctrl+Break", CTRL_BREAK_EVENT, 130},
        {"the console closed", CTRL_CLOSE_EVENT, 129},
        {"the session ending", CTRL_SHUTDOWN_EVENT, 143},
    };
    ScopedSysIo restore;
    CatchHandler();
    ASSERT_NE(g_handler, nullptr);
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.what);
        g_statuses.clear();
        WriteFileBytes("work.tmp", "work");
        WriteFileBytes("out.tmp", "out");
        NoteUnfinished(UnfinishedFile::work, "work.tmp");
        NoteUnfinished(UnfinishedFile::output, "out.tmp");
        {
            // The conversion, on its own thread, is still writing the output.
            CLineFile open;
            ASSERT_TRUE(open.Open("out.tmp", CREATE_TEXT | OPEN_NO_TRUNCATE));
            EXPECT_TRUE(g_handler(c.event));
        }
        EXPECT_EQ(g_statuses, std::vector<unsigned int>{c.exitStatus});
        EXPECT_FALSE(Exists("work.tmp"));
        EXPECT_FALSE(Exists("out.tmp"));
    }
}

TEST_F(InterruptionHandlerTest, ConsoleEventWaitsForAHeldSpan)
{
    ScopedSysIo restore;
    CatchHandler();
    WriteFileBytes("out.tmp", "out");
    std::thread console;
    {
        CInterruptionsHeld held;
        console = std::thread([] { g_handler(CTRL_C_EVENT); });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(g_statuses.empty()) << "handled inside the span";
        // Made and noted inside the span: the handler must find the note.
        NoteUnfinished(UnfinishedFile::output, "out.tmp");
    }
    console.join();
    EXPECT_EQ(g_statuses, std::vector<unsigned int>{130});
    EXPECT_FALSE(Exists("out.tmp"));
}

#endif

}  // namespace
