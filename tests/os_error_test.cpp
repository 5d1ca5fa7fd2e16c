// Operating-system errors as the file exception reports them: the cause each
// stands for and the words that name it, alike on every system.
#include "platform/os_error.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_exception.h"
#include "platform/win32_errors.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#endif

namespace {

// ---- the Windows table, checked everywhere ----------------------------------

TEST(Win32ErrorTableTest, EveryCodeIsListedOnce)
{
    for (const Win32ErrorEntry& a : WIN32_ERRORS) {
        int count = 0;
        for (const Win32ErrorEntry& b : WIN32_ERRORS) count += a.code == b.code ? 1 : 0;
        EXPECT_EQ(count, 1) << a.code;
    }
}

TEST(Win32ErrorTableTest, CausesAreCauseCodes)
{
    for (const Win32ErrorEntry& entry : WIN32_ERRORS) {
        EXPECT_GT(entry.cause, CFileException::none) << entry.code;
        EXPECT_LE(entry.cause, CFileException::endOfFile) << entry.code;
    }
}

#ifndef _WIN32
TEST(Win32ErrorTableTest, ReasonsAreTheCLibraryWordsOfTheSameErrno)
{
    // Windows reports these reasons in place of its own message texts, so a
    // failure reads the same as here.
    for (const Win32ErrorEntry& entry : WIN32_ERRORS) {
        EXPECT_STREQ(entry.reason, std::strerror(entry.posixError)) << entry.code;
    }
}

// ---- POSIX -------------------------------------------------------------------

TEST(OsErrorTest, ReasonIsTheCLibraryText)
{
    for (int error : {ENOENT, EACCES, ENOSPC, EIO, EISDIR}) {
        EXPECT_EQ(OsErrorReason(error), std::strerror(error)) << error;
    }
    EXPECT_EQ(OsErrorReason(0), "");
}

TEST(OsErrorTest, LastErrorsAreErrno)
{
    errno = ENOSPC;
    EXPECT_EQ(LastRuntimeError(), ENOSPC);
    errno = EACCES;
    EXPECT_EQ(LastSystemError(), EACCES);
}
#endif

// ---- Windows -----------------------------------------------------------------

#ifdef _WIN32
TEST(OsErrorTest, TableGivesCauseAndReason)
{
    for (const Win32ErrorEntry& entry : WIN32_ERRORS) {
        EXPECT_EQ(OsErrorCause(static_cast<long>(entry.code)), entry.cause) << entry.code;
        EXPECT_EQ(OsErrorReason(static_cast<long>(entry.code)), entry.reason) << entry.code;
        EXPECT_EQ(CFileException::OsErrorToException(static_cast<long>(entry.code)), entry.cause)
            << entry.code;
    }
    EXPECT_EQ(OsErrorCause(0), CFileException::none);
    EXPECT_EQ(OsErrorReason(0), "");
}

TEST(OsErrorTest, UnlistedCodeIsGenericWithTheSystemsWords)
{
    const long code = ERROR_INVALID_FUNCTION;
    EXPECT_EQ(OsErrorCause(code), CFileException::genericException);
    const CString reason = OsErrorReason(code);
    ASSERT_FALSE(reason.IsEmpty());
    const char last = reason[reason.GetLength() - 1];
    EXPECT_TRUE(last != '\n' && last != '\r' && last != '.' && last != ' ') << reason.str();
}

TEST(OsErrorTest, MessageOfAWindowsCodeReadsAsOnPosixSystems)
{
    EXPECT_EQ(
        CFileException(CFileException::fileNotFound, ERROR_FILE_NOT_FOUND, "absent.idf").GetErrorMessage(),
        "cannot open absent.idf: No such file or directory");
    EXPECT_EQ(CFileException(CFileException::diskFull, ERROR_DISK_FULL, "D:\\out.txt").GetErrorMessage(),
              "cannot write D:\\out.txt: No space left on device");
}

TEST(OsErrorTest, SystemErrorIsGetLastError)
{
    SetLastError(ERROR_SHARING_VIOLATION);
    EXPECT_EQ(LastSystemError(), ERROR_SHARING_VIOLATION);
}

struct RuntimeErrorCase {
    const char* name;
    unsigned long doserrno;
    int errnoValue;
    long expected;
};

TEST(OsErrorTest, RuntimeErrorIsTheWin32CodeOnlyWhileErrnoAgrees)
{
    // _doserrno is set by failed system calls only and never cleared, so a
    // code left over from an older failure must not name a newer one.
    const RuntimeErrorCase cases[] = {
        {"system call failed", ERROR_DISK_FULL, ENOSPC, ERROR_DISK_FULL},
        {"same errno, other code", ERROR_PATH_NOT_FOUND, ENOENT, ERROR_PATH_NOT_FOUND},
        {"stale code", ERROR_NEGATIVE_SEEK, ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
        {"runtime's own failure", 0, EBADF, ERROR_INVALID_HANDLE},
        {"nothing known", 0, 0, 0},
    };
    for (const RuntimeErrorCase& c : cases) {
        _doserrno = c.doserrno;
        errno = c.errnoValue;
        EXPECT_EQ(LastRuntimeError(), c.expected) << c.name;
    }
}

TEST(OsErrorTest, FailedRuntimeOpenGivesTheWin32Code)
{
    FILE* file = std::fopen("no-such-folder\\no-such-file", "rb");
    ASSERT_EQ(file, nullptr);
    EXPECT_EQ(LastRuntimeError(), ERROR_PATH_NOT_FOUND);
}
#endif

}  // namespace
