// The file base class: opening by the flag word's access, create and share
// bits, the length as on disk, closing, and the file exceptions of each.
#include "platform/file.h"

#include <cerrno>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_exception.h"
#include "platform/sysio.h"
#include "support/test_util.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

class FileTest : public testutil::TempDirTest {};

// A failed open of `path` with `flags`: FALSE, a closed object, and the
// exception record filled with `cause`, `osError` and the path.
void ExpectOpenFails(const char* path, UINT flags, int cause, long osError)
{
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path, flags, &error)) << path;
    EXPECT_EQ(file.m_hFile, CFile::hFileNull) << path;
    EXPECT_FALSE(file.m_bCloseOnDelete) << path;
    EXPECT_EQ(error.m_cause, cause) << path;
    EXPECT_EQ(error.m_lOsError, osError) << path;
    EXPECT_EQ(error.m_strFileName, path);
    EXPECT_EQ(file.GetFilePath(), path) << "the path is recorded also when the open fails";
}

// ---- opening ------------------------------------------------------------------

TEST_F(FileTest, OpenHoldsTheFileUntilClose)
{
    WriteFileBytes("a.txt", "abc");
    CFile file;
    ASSERT_TRUE(file.Open("a.txt", OPEN_READ));
    EXPECT_NE(file.m_hFile, CFile::hFileNull);
    EXPECT_TRUE(file.m_bCloseOnDelete);
    file.Close();
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_FALSE(file.m_bCloseOnDelete);
}

struct CreateCase {
    const char* name;
    UINT flags;
    const char* contentAfter;  // of a file that held "old content"
};

TEST_F(FileTest, CreateBitsEmptyOrKeepAnExistingFile)
{
    const CreateCase cases[] = {
        {"create empties", OPEN_CREATE | OPEN_READWRITE, ""},
        {"create, write only, empties", OPEN_CREATE | OPEN_WRITE, ""},
        {"create without truncation keeps", OPEN_CREATE | OPEN_NO_TRUNCATE | OPEN_READWRITE, "old content"},
        {"plain write keeps", OPEN_WRITE, "old content"},
        {"binary bit changes nothing", OPEN_CREATE | OPEN_READWRITE | OPEN_BINARY, ""},
    };
    for (const CreateCase& c : cases) {
        WriteFileBytes("a.txt", "old content");
        {
            CFile file;
            ASSERT_TRUE(file.Open("a.txt", c.flags)) << c.name;
        }
        EXPECT_EQ(ReadFileBytes("a.txt"), c.contentAfter) << c.name;
    }
}

TEST_F(FileTest, CreateMakesAMissingFile)
{
    for (UINT flags : {OPEN_CREATE | OPEN_READWRITE, OPEN_CREATE | OPEN_NO_TRUNCATE | OPEN_WRITE}) {
        fs::remove("new.txt");
        CFile file;
        ASSERT_TRUE(file.Open("new.txt", flags)) << flags;
        EXPECT_TRUE(Exists("new.txt")) << flags;
    }
}

TEST_F(FileTest, MissingFileIsNotFound)
{
    ExpectOpenFails("absent.idf", OPEN_READ, CFileException::fileNotFound, testutil::OS_FILE_NOT_FOUND);
    ExpectOpenFails("absent.idf", OPEN_WRITE, CFileException::fileNotFound, testutil::OS_FILE_NOT_FOUND);
    EXPECT_FALSE(Exists("absent.idf")) << "only the create bit makes a file";
}

TEST_F(FileTest, MissingFolderCannotBeCreatedIn)
{
    // Windows tells a missing folder from a missing file; POSIX systems do not.
    ExpectOpenFails("nowhere/out.txt", OPEN_CREATE | OPEN_READWRITE, testutil::CAUSE_FOLDER_NOT_FOUND,
                    testutil::OS_FOLDER_NOT_FOUND);
}

TEST_F(FileTest, FolderIsNoFileToOpen)
{
    fs::create_directory("folder");
    ExpectOpenFails("folder", OPEN_READ, CFileException::accessDenied, testutil::OS_FOLDER_AS_FILE);
}

// ---- length -------------------------------------------------------------------

TEST_F(FileTest, LengthIsTheSizeOnDiskAndMovesNothing)
{
    WriteFileBytes("a.txt", "line one\r\nline two\r\n");
    CFile file;
    ASSERT_TRUE(file.Open("a.txt", OPEN_READ));
    EXPECT_EQ(file.GetLength(), 20u);
    EXPECT_EQ(file.GetLength(), 20u);
    file.Close();

    ASSERT_TRUE(file.Open("a.txt", OPEN_CREATE | OPEN_READWRITE));
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST_F(FileTest, LengthOfAClosedFileRaises)
{
    CFile file;
    testutil::ExpectFileError([&] { file.GetLength(); }, {.cause = CFileException::invalidFile},
                              "never opened");
    EXPECT_FALSE(file.Open("absent.idf", OPEN_READ));
    testutil::ExpectFileError([&] { file.GetLength(); },
                              {.cause = CFileException::fileNotFound, .path = "absent.idf"},
                              "the reason of the failed open");
}

// ---- closing ------------------------------------------------------------------

TEST_F(FileTest, CloseAndAbortTwiceDoNothingMore)
{
    WriteFileBytes("a.txt", "x");
    CFile file;
    ASSERT_TRUE(file.Open("a.txt", OPEN_READ));
    file.Close();
    EXPECT_NO_THROW(file.Close());
    file.Abort();
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
}

TEST_F(FileTest, DestructionClosesTheFile)
{
    // Windows refuses to delete a file that is still open.
    WriteFileBytes("a.txt", "x");
    {
        CFile file;
        ASSERT_TRUE(file.Open("a.txt", OPEN_READWRITE));
    }
    std::error_code failure;
    EXPECT_TRUE(fs::remove("a.txt", failure)) << failure.message();
}

// ---- share bits (Windows) -----------------------------------------------------

#ifdef _WIN32

struct ShareCase {
    const char* name;
    UINT first;         // share bits of the open that comes first
    bool secondReads;   // may a second open read meanwhile?
    bool secondWrites;  // may a second open write meanwhile?
};

TEST_F(FileTest, ShareBitsDecideWhatOthersMayOpen)
{
    const ShareCase cases[] = {
        {"compatibility mode, as this system opens", OPEN_SHARE_COMPAT, true, true},
        {"deny none", OPEN_SHARE_DENY_NONE, true, true},
        {"deny write", OPEN_SHARE_DENY_WRITE, true, false},
        {"deny read", OPEN_SHARE_DENY_READ, false, true},
        {"exclusive", OPEN_SHARE_EXCLUSIVE, false, false},
    };
    WriteFileBytes("a.txt", "x");
    for (const ShareCase& c : cases) {
        CFile first;
        ASSERT_TRUE(first.Open("a.txt", OPEN_READWRITE | c.first)) << c.name;
        CFile reader;
        CFileException error;
        EXPECT_EQ(reader.Open("a.txt", OPEN_READ, &error) != FALSE, c.secondReads) << c.name;
        if (!c.secondReads) {
            EXPECT_EQ(error.m_cause, CFileException::sharingViolation) << c.name;
            EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION) << c.name;
        }
        CFile writer;
        EXPECT_EQ(writer.Open("a.txt", OPEN_WRITE) != FALSE, c.secondWrites) << c.name;
    }
}

TEST_F(FileTest, ShareViolationMessageNamesTheFile)
{
    WriteFileBytes("a.txt", "x");
    CFile first;
    ASSERT_TRUE(first.Open("a.txt", OPEN_READ | OPEN_SHARE_EXCLUSIVE));
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open("a.txt", OPEN_READ, &error));
    EXPECT_EQ(error.GetErrorMessage(), "cannot open a.txt: Device or resource busy");
}

TEST_F(FileTest, FlagWordBecomesAccessShareAndDisposition)
{
    struct Call {
        unsigned long access, share, disposition;
    };
    static Call seen;
    ScopedSysIo restore;
    Sys().createFile = [](const char*, unsigned long access, unsigned long share,
                          unsigned long disposition) -> std::intptr_t {
        seen = {access, share, disposition};
        SetLastError(ERROR_ACCESS_DENIED);
        return -1;
    };
    constexpr unsigned long ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    struct Case {
        UINT flags;
        Call expected;
    } const cases[] = {
        // The compatibility mode lets others delete and rename too: an
        // interruption's handler removes files the conversion has open.
        {0x0000, {GENERIC_READ, ALL, OPEN_EXISTING}},
        {0x8000, {GENERIC_READ, ALL, OPEN_EXISTING}},
        {0x9002, {GENERIC_READ | GENERIC_WRITE, ALL, CREATE_ALWAYS}},
        {0x1002, {GENERIC_READ | GENERIC_WRITE, ALL, CREATE_ALWAYS}},
        {OPEN_WRITE, {GENERIC_WRITE, ALL, OPEN_EXISTING}},
        {OPEN_CREATE | OPEN_NO_TRUNCATE | OPEN_WRITE, {GENERIC_WRITE, ALL, OPEN_ALWAYS}},
        {OPEN_READ | OPEN_SHARE_DENY_NONE, {GENERIC_READ, ALL, OPEN_EXISTING}},
        {OPEN_READ | OPEN_SHARE_EXCLUSIVE, {GENERIC_READ, 0, OPEN_EXISTING}},
        {OPEN_READ | OPEN_SHARE_DENY_WRITE, {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING}},
        {OPEN_READ | OPEN_SHARE_DENY_READ, {GENERIC_READ, FILE_SHARE_WRITE, OPEN_EXISTING}},
    };
    for (const Case& c : cases) {
        CFile file;
        EXPECT_FALSE(file.Open("a.txt", c.flags));
        EXPECT_EQ(seen.access, c.expected.access) << std::hex << c.flags;
        EXPECT_EQ(seen.share, c.expected.share) << std::hex << c.flags;
        EXPECT_EQ(seen.disposition, c.expected.disposition) << std::hex << c.flags;
    }
}

#endif

// ---- failures of the system's calls -------------------------------------------

// Each system's call made to fail, with the error code of its own kind. A
// failed close still gives up the descriptor or handle: it is kept in
// g_held and really closed at the end of the test.
#ifdef _WIN32
std::intptr_t g_held = -1;
constexpr long CLOSE_ERROR = ERROR_DISK_FULL;
constexpr long SIZE_QUERY_ERROR = ERROR_INVALID_HANDLE;

void FailClose()
{
    Sys().closeHandle = [](std::intptr_t handle) {
        g_held = handle;
        SetLastError(ERROR_DISK_FULL);
        return 0;
    };
}

void FailSizeQuery()
{
    Sys().getFileSizeEx = [](std::intptr_t, long long*) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    };
}

void CloseHeld()
{
    if (g_held != -1) RealSysIo().closeHandle(g_held);
    g_held = -1;
}
#else
int g_held = -1;
constexpr long CLOSE_ERROR = EIO;
constexpr long SIZE_QUERY_ERROR = EIO;

void FailClose()
{
    Sys().close = [](int fd) {
        g_held = fd;
        errno = EIO;
        return -1;
    };
}

void FailSizeQuery()
{
    Sys().fstat = [](int, struct stat*) {
        errno = EIO;
        return -1;
    };
}

void CloseHeld()
{
    if (g_held != -1) RealSysIo().close(g_held);
    g_held = -1;
}
#endif

struct CallFailureCase {
    const char* name;
    UINT flags;            // how the file is opened
    void (*inject)();      // makes the system's call fail
    void (*call)(CFile&);  // the operation that meets the failure
    int cause;             // what it raises
    long osError;
    bool closedAfter;  // is the file closed after the failure?
};

const CallFailureCase CALL_FAILURES[] = {
    {"Close", OPEN_READWRITE, FailClose, [](CFile& file) { file.Close(); }, CFileException::diskFull,
     CLOSE_ERROR, true},
    {"SizeQuery", OPEN_READ, FailSizeQuery, [](CFile& file) { file.GetLength(); },
     CFileException::genericException, SIZE_QUERY_ERROR, false},
};

// Names the case in the test's output instead of its bytes.
void PrintTo(const CallFailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class FileCallFailureTest : public testutil::TempDirTest,
                            public ::testing::WithParamInterface<CallFailureCase> {};

TEST_P(FileCallFailureTest, RaisesItsCauseWithTheSystemsCodeAndThePath)
{
    const CallFailureCase& c = GetParam();
    WriteFileBytes("a.txt", "x");
    CFile file;
    ASSERT_TRUE(file.Open("a.txt", c.flags));
    {
        ScopedSysIo restore;
        c.inject();
        testutil::ExpectFileError([&] { c.call(file); },
                                  {.cause = c.cause, .osError = c.osError, .path = "a.txt"});
    }
    EXPECT_EQ(file.m_hFile == CFile::hFileNull, c.closedAfter) << "a failed close still closes";
    CloseHeld();
}

INSTANTIATE_TEST_SUITE_P(Calls, FileCallFailureTest, ::testing::ValuesIn(CALL_FAILURES),
                         [](const ::testing::TestParamInfo<CallFailureCase>& info) {
                             return info.param.name;
                         });

}  // namespace
