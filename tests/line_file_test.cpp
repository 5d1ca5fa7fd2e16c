// The line file: modes, line reading, text translation, positions, and the
// file exception of every failure.
#include "fileio/line_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/sysio.h"
#include "support/test_util.h"

namespace {

using testutil::ExpectFileError;
using testutil::ReadFileBytes;
using testutil::TempDirTest;
using testutil::WriteFileBytes;

// ---- mode strings -------------------------------------------------------

struct ModeCase {
    UINT flags;
    const char* text;
    const char* binary;
};

TEST(LineFileModeTest, ModeStringFollowsTheWholeTable)
{
    // create, no-truncate, write, read-write; "—" bits are tried both ways.
    const ModeCase cases[] = {
        {OPEN_CREATE | OPEN_WRITE, "wt", "wb"},
        {OPEN_CREATE | OPEN_WRITE | OPEN_READWRITE, "wt", "wb"},
        {OPEN_CREATE, "w+t", "w+b"},
        {OPEN_CREATE | OPEN_READWRITE, "w+t", "w+b"},
        {OPEN_CREATE | OPEN_NO_TRUNCATE | OPEN_WRITE, "at", "ab"},
        {OPEN_CREATE | OPEN_NO_TRUNCATE | OPEN_WRITE | OPEN_READWRITE, "at", "ab"},
        {OPEN_CREATE | OPEN_NO_TRUNCATE, "a+t", "a+b"},
        {OPEN_CREATE | OPEN_NO_TRUNCATE | OPEN_READWRITE, "a+t", "a+b"},
        {OPEN_WRITE, "at", "ab"},
        {OPEN_WRITE | OPEN_READWRITE, "at", "ab"},
        {OPEN_WRITE | OPEN_NO_TRUNCATE, "at", "ab"},
        {OPEN_READWRITE, "r+t", "r+b"},
        {OPEN_READWRITE | OPEN_NO_TRUNCATE, "r+t", "r+b"},
        {0, "rt", "rb"},
        {OPEN_NO_TRUNCATE, "rt", "rb"},
    };
    for (const ModeCase& c : cases) {
        EXPECT_EQ(CLineFile::ModeString(c.flags), c.text) << std::hex << c.flags;
        EXPECT_EQ(CLineFile::ModeString(c.flags | OPEN_TEXT), c.text) << std::hex << c.flags;
        EXPECT_EQ(CLineFile::ModeString(c.flags | OPEN_BINARY), c.binary) << std::hex << c.flags;
    }
}

TEST(LineFileModeTest, TheFourFlagWordsOfTheSystem)
{
    EXPECT_EQ(CLineFile::ModeString(READ_TEXT), "rt");
    EXPECT_EQ(CLineFile::ModeString(READ_BINARY), "rb");
    EXPECT_EQ(CLineFile::ModeString(CREATE_BINARY), "w+b");
    EXPECT_EQ(CLineFile::ModeString(CREATE_TEXT), "w+t");
}

// ---- opening and closing ------------------------------------------------

class LineFileTest : public TempDirTest {};

TEST_F(LineFileTest, NewObjectIsClosed)
{
    CLineFile file;
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_FALSE(file.m_bCloseOnDelete);
    EXPECT_EQ(file.m_stream, nullptr);
}

TEST_F(LineFileTest, CreatingFlagWordsEmptyAnExistingFile)
{
    for (UINT flags : {CREATE_BINARY, CREATE_TEXT}) {
        WriteFileBytes("old.txt", "old content");
        CLineFile file;
        ASSERT_TRUE(file.Open("old.txt", flags));
        EXPECT_NE(file.m_stream, nullptr);
        EXPECT_TRUE(file.m_bCloseOnDelete);
        file.Close();
        EXPECT_EQ(ReadFileBytes("old.txt"), "");
    }
}

TEST_F(LineFileTest, ReadingFlagWordsFailOnMissingFileAndFillTheRecord)
{
    for (UINT flags : {READ_TEXT, READ_BINARY}) {
        CLineFile file;
        CFileException error;
        EXPECT_FALSE(file.Open("missing.idf", flags, &error));
        EXPECT_EQ(file.m_stream, nullptr);
        EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
        EXPECT_EQ(error.m_lOsError, ENOENT);
        EXPECT_EQ(error.m_strFileName, "missing.idf");
    }
}

TEST_F(LineFileTest, CloseTwiceAndCloseAfterFailedOpenDoNothing)
{
    WriteFileBytes("a.txt", "x");
    CLineFile file;
    ASSERT_TRUE(file.Open("a.txt", READ_TEXT));
    file.Close();
    EXPECT_NO_THROW(file.Close());
    EXPECT_NO_THROW(file.Abort());
    EXPECT_NO_THROW(file.Flush());
    CLineFile failed;
    EXPECT_FALSE(failed.Open("missing", READ_TEXT));
    EXPECT_NO_THROW(failed.Close());
}

TEST_F(LineFileTest, DirectoryIsNoFileToOpen)
{
    std::filesystem::create_directory("folder.idf");
    CLineFile file;
    CFileException error;
    EXPECT_FALSE(file.Open("folder.idf", READ_BINARY, &error));
    EXPECT_EQ(error.m_lOsError, testutil::OS_FOLDER_AS_FILE);
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
}

// ---- ReadLine -----------------------------------------------------------

// Reads every line with the string form and records (line, result) pairs
// until the first FALSE, which is recorded too.
std::vector<std::pair<std::string, BOOL>> AllLines(const char* path, UINT flags)
{
    CLineFile file;
    EXPECT_TRUE(file.Open(path, flags));
    std::vector<std::pair<std::string, BOOL>> lines;
    for (;;) {
        CString line("stale");
        BOOL more = file.ReadLine(line);
        lines.emplace_back(line.str(), more);
        if (!more) {
            break;
        }
    }
    return lines;
}

struct ReadLineCase {
    const char* name;
    std::string bytes;
    UINT flags;
    std::vector<std::pair<std::string, BOOL>> lines;
};

TEST_F(LineFileTest, ReadLineStringForm)
{
    const std::string l128(128, 'a');
    const std::string l300(300, 'b');
    const std::string l127(127, 'c');
    const ReadLineCase cases[] = {
        {"empty file", "", READ_TEXT, {{"", FALSE}}},
        {"128 characters then line feed",
         l128 + "\nnext\n",
         READ_TEXT,
         {{l128, TRUE}, {"next", TRUE}, {"", FALSE}}},
        {"300 characters in three chunks", l300 + "\n", READ_TEXT, {{l300, TRUE}, {"", FALSE}}},
        {"128 characters at the end without line feed", l128, READ_TEXT, {{l128, TRUE}, {"", FALSE}}},
        {"last line without line feed", "ab\ncd", READ_TEXT, {{"ab", TRUE}, {"cd", TRUE}, {"", FALSE}}},
        {"line feed alone is an empty line", "\nx\n", READ_TEXT, {{"", TRUE}, {"x", TRUE}, {"", FALSE}}},
        {"text mode drops CR LF", "ab\r\ncd\r\n", READ_TEXT, {{"ab", TRUE}, {"cd", TRUE}, {"", FALSE}}},
        {"text mode CR LF across the chunk end",
         l127 + "\r\n" + l128 + "\r\nz",
         READ_TEXT,
         {{l127, TRUE}, {l128, TRUE}, {"z", TRUE}, {"", FALSE}}},
        {"binary mode keeps the CR",
         "ab\r\ncd\r\n",
         READ_BINARY,
         {{"ab\r", TRUE}, {"cd\r", TRUE}, {"", FALSE}}},
        {"zero byte cuts the line, rest of chunk dropped",
         std::string("ab\0cd\nef\n", 9),
         READ_BINARY,
         {{"ab", TRUE}, {"ef", TRUE}, {"", FALSE}}},
        {"zero byte before the chunk end: rest of line comes next",
         std::string("ab\0", 3) + l128 + "\n",
         READ_BINARY,
         {{"ab", TRUE}, {std::string(3, 'a'), TRUE}, {"", FALSE}}},
    };
    for (const ReadLineCase& c : cases) {
        WriteFileBytes("lines.txt", c.bytes);
        EXPECT_EQ(AllLines("lines.txt", c.flags), c.lines) << c.name;
    }
}

TEST_F(LineFileTest, ReadLineOfAHugeLineIsWhole)
{
    std::string huge(3 * 1000 * 1000, 'z');
    WriteFileBytes("huge.txt", huge + "\r\n");
    CLineFile file;
    ASSERT_TRUE(file.Open("huge.txt", READ_TEXT));
    CString line;
    EXPECT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line.GetLength(), static_cast<int>(huge.size()));
    EXPECT_FALSE(file.ReadLine(line));
}

TEST_F(LineFileTest, ReadLineBufferFormKeepsTheLineFeed)
{
    WriteFileBytes("lines.txt", "ab\r\ncdef\n");
    CLineFile file;
    ASSERT_TRUE(file.Open("lines.txt", READ_TEXT));
    char buffer[16];
    EXPECT_STREQ(file.ReadLine(buffer, sizeof buffer), "ab\n");
    EXPECT_STREQ(file.ReadLine(buffer, 3), "cd");
    EXPECT_STREQ(file.ReadLine(buffer, sizeof buffer), "ef\n");
    EXPECT_EQ(file.ReadLine(buffer, sizeof buffer), nullptr);
}

// ---- Read, Write, WriteText, positions ------------------------------------

TEST_F(LineFileTest, ReadOfZeroAndAtEndOfFileReturnZero)
{
    WriteFileBytes("a.bin", "xy");
    CLineFile file;
    ASSERT_TRUE(file.Open("a.bin", READ_BINARY));
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 0), 0u);
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.Read(buffer, 8), 2u);
    EXPECT_EQ(file.Read(buffer, 8), 0u);
}

TEST_F(LineFileTest, TextModeReadDeliversCrLfAsLineFeed)
{
    WriteFileBytes("a.txt", "a\r\nb\rc\r\n");
    // How many characters one read hands over differs between C runtimes
    // (Windows' fills the count with translated characters); what the reads
    // hand over in all does not, wherever a read ends, between CR and LF too.
    for (UINT count = 1; count <= 9; ++count) {
        CLineFile file;
        ASSERT_TRUE(file.Open("a.txt", READ_TEXT));
        std::string all;
        char buffer[16];
        for (UINT got = file.Read(buffer, count); got > 0; got = file.Read(buffer, count)) {
            EXPECT_LE(got, count);
            all.append(buffer, got);
        }
        EXPECT_EQ(all, "a\nb\rc\n") << "reads of " << count;
    }
}

TEST_F(LineFileTest, WriteTextTranslatesLineFeedsOnlyInTextMode)
{
    const char* line = "0123456789a\n";
    {
        CLineFile text;
        ASSERT_TRUE(text.Open("text.txt", CREATE_TEXT));
        text.WriteText(line);
        text.Write("x\ny", 3);
        text.Close();
        CLineFile binary;
        ASSERT_TRUE(binary.Open("binary.txt", CREATE_BINARY));
        binary.WriteText(line);
        binary.Write("x\ny", 3);
        binary.Close();
    }
    EXPECT_EQ(ReadFileBytes("text.txt"), "0123456789a\r\nx\r\ny");
    EXPECT_EQ(ReadFileBytes("binary.txt"), "0123456789a\nx\ny");
}

// Texts with line feeds anywhere, one after another into the same file, so
// that a long text followed by short ones shows any leftover of the former.
TEST_F(LineFileTest, WriteTextTranslatesEveryLineFeedOfAnyText)
{
    struct Case {
        const char* text;
        const char* onDisk;
    } const cases[] = {
        {"", ""},
        {"no line feed", "no line feed"},
        {"\n", "\r\n"},
        {"\n\n\n", "\r\n\r\n\r\n"},
        {"a\nb", "a\r\nb"},
        {"\nlead", "\r\nlead"},
        {"one\ntwo\n\nthree\n", "one\r\ntwo\r\n\r\nthree\r\n"},
        {"1.000000 2.000000 3.000000\n", "1.000000 2.000000 3.000000\r\n"},
        {"x", "x"},
        {"cr stays\r\n", "cr stays\r\r\n"},
    };
    std::string expected;
    {
        CLineFile text;
        ASSERT_TRUE(text.Open("text.txt", CREATE_TEXT));
        for (const Case& c : cases) {
            text.WriteText(c.text);
            expected += c.onDisk;
        }
        const std::string longText = std::string(5000, 'L') + "\n" + std::string(3000, 'M');
        text.WriteText(longText.c_str());
        expected += std::string(5000, 'L') + "\r\n" + std::string(3000, 'M');
        text.WriteText("end\n");
        expected += "end\r\n";
        text.Close();
    }
    EXPECT_EQ(ReadFileBytes("text.txt"), expected);
}

TEST_F(LineFileTest, LengthCountsEveryCrAndPositionReachesIt)
{
    WriteFileBytes("a.txt", "ab\r\ncd\r\nlast");
    CLineFile file;
    ASSERT_TRUE(file.Open("a.txt", READ_TEXT));
    EXPECT_EQ(file.GetLength(), 12u);
    CString line;
    EXPECT_TRUE(file.ReadLine(line));
    EXPECT_EQ(file.GetPosition(), 4u);
    while (file.ReadLine(line)) {
    }
    EXPECT_EQ(file.GetPosition(), file.GetLength());
}

TEST_F(LineFileTest, SeekMovesAndReportsThePosition)
{
    WriteFileBytes("a.bin", "0123456789");
    CLineFile file;
    ASSERT_TRUE(file.Open("a.bin", READ_BINARY));
    EXPECT_EQ(file.Seek(4, 0), 4);
    EXPECT_EQ(file.Seek(2, 1), 6);
    EXPECT_EQ(file.Seek(-1, 2), 9);
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, '9');
}

// ---- failures -------------------------------------------------------------

TEST_F(LineFileTest, DiskFullOnFlushWriteTextAndClose)
{
    SKIP_WITHOUT_FULL_DEVICE();
    const std::string big(200 * 1000, 'x');
    {
        CLineFile file;
        ASSERT_TRUE(file.Open("/dev/full", CREATE_BINARY));
        file.Write("abc", 3);  // lands in the stream buffer
        ExpectFileError([&] { file.Flush(); }, {.cause = CFileException::diskFull, .path = "/dev/full"},
                        "flush");
    }
    {
        CLineFile file;
        ASSERT_TRUE(file.Open("/dev/full", CREATE_TEXT));
        ExpectFileError([&] { file.WriteText(big.c_str()); },
                        {.cause = CFileException::diskFull, .path = "/dev/full"}, "write text");
    }
    {
        CLineFile file;
        ASSERT_TRUE(file.Open("/dev/full", CREATE_BINARY));
        ExpectFileError([&] { file.Write(big.data(), static_cast<UINT>(big.size())); },
                        {.cause = CFileException::genericException, .path = "/dev/full"}, "short write");
    }
    {
        CLineFile file;
        ASSERT_TRUE(file.Open("/dev/full", CREATE_TEXT));
        file.WriteText("line\n");
        ExpectFileError([&] { file.Close(); }, {.cause = CFileException::diskFull, .path = "/dev/full"},
                        "close");
        EXPECT_EQ(file.m_stream, nullptr);
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    }
}

TEST_F(LineFileTest, DiskFullMessageSaysWhy)
{
    SKIP_WITHOUT_FULL_DEVICE();
    CLineFile file;
    ASSERT_TRUE(file.Open("/dev/full", CREATE_BINARY));
    file.Write("abc", 3);
    ExpectFileError([&] { file.Flush(); },
                    {.osError = ENOSPC, .message = "cannot write /dev/full: No space left on device"});
}

TEST_F(LineFileTest, ReadErrorsRaiseCauseOne)
{
    WriteFileBytes("w.txt", "content\n");
    CLineFile file;
    ASSERT_TRUE(file.Open("w.txt", OPEN_WRITE | OPEN_BINARY));  // "ab": reading fails
    char buffer[4];
    ExpectFileError([&] { file.Read(buffer, 4); },
                    {.cause = CFileException::genericException, .path = "w.txt"}, "read");
    CString line;
    ExpectFileError([&] { file.ReadLine(line); },
                    {.cause = CFileException::genericException, .path = "w.txt"}, "read line");
    ExpectFileError([&] { file.ReadLine(buffer, 4); },
                    {.cause = CFileException::genericException, .path = "w.txt"}, "read line buffer");
}

TEST_F(LineFileTest, SeekFailureIsCauseNineAndPositionFailureCauseSix)
{
    WriteFileBytes("a.bin", "0123");
    CLineFile file;
    ASSERT_TRUE(file.Open("a.bin", READ_BINARY));
    ExpectFileError([&] { file.Seek(-10, 0); }, {.cause = CFileException::badSeek, .path = "a.bin"}, "seek");
    ScopedSysIo restore;
    Sys().ftello = [](FILE*) -> off_t {
        errno = ESPIPE;
        return -1;
    };
    ExpectFileError([&] { file.GetPosition(); }, {.cause = CFileException::invalidFile, .path = "a.bin"},
                    "position");
}

TEST_F(LineFileTest, FailedOpenObjectRaisesTheOpenReasonOnUse)
{
    CLineFile file;
    EXPECT_FALSE(file.Open("nowhere/in.idf", READ_BINARY));
    const std::string path = "nowhere/in.idf";
    char buffer[4];
    CString line;
    const int cause = testutil::CAUSE_FOLDER_NOT_FOUND;
    ExpectFileError(
        [&] { file.GetLength(); },
        {.cause = cause, .path = path, .message = "cannot open nowhere/in.idf: No such file or directory"},
        "length");
    ExpectFileError([&] { file.Read(buffer, 4); }, {.cause = cause, .path = path}, "read");
    ExpectFileError([&] { file.ReadLine(line); }, {.cause = cause, .path = path}, "read line");
    ExpectFileError([&] { file.Write("x", 1); }, {.cause = cause, .path = path}, "write");
    ExpectFileError([&] { file.WriteText("x"); }, {.cause = cause, .path = path}, "write text");
    ExpectFileError([&] { file.GetPosition(); }, {.cause = cause, .path = path}, "position");
}

TEST_F(LineFileTest, StreamFailureAfterBaseOpenClosesTheDescriptor)
{
    WriteFileBytes("a.txt", "x");
    ScopedSysIo restore;
    static int closed = 0;
    closed = 0;
    Sys().fdopen = [](int, const char*) -> FILE* {
        errno = ENOMEM;
#ifdef _WIN32
        _doserrno = testutil::OS_OUT_OF_MEMORY;  // as the runtime's own failure sets it
#endif
        return nullptr;
    };
    Sys().close = [](int fd) {
        ++closed;
        return RealSysIo().close(fd);
    };
    CLineFile file;
    CFileException error;
    EXPECT_FALSE(file.Open("a.txt", READ_TEXT, &error));
    EXPECT_EQ(error.m_lOsError, testutil::OS_OUT_OF_MEMORY);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_FALSE(file.m_bCloseOnDelete);
}

#ifdef _WIN32

TEST_F(LineFileTest, DiskFullOnWindowsIsReportedWithItsCodeAndWords)
{
    ScopedSysIo restore;
    Sys().fflush = [](FILE*) {
        errno = ENOSPC;
        _doserrno = testutil::OS_DISK_FULL;  // as a failed WriteFile leaves it
        return EOF;
    };
    CLineFile file;
    ASSERT_TRUE(file.Open("out.txt", CREATE_BINARY));
    file.Write("abc", 3);
    ExpectFileError([&] { file.Flush(); }, {.cause = CFileException::diskFull,
                                            .osError = testutil::OS_DISK_FULL,
                                            .message = "cannot write out.txt: No space left on device"});
}

// What the line file asked of the runtime when it laid its stream.
struct StreamCall {
    int descriptorFlags = -1;
    std::string mode;
};
StreamCall g_streamCall;

TEST_F(LineFileTest, StreamIsTheRuntimesOwnTextOrBinaryDescriptor)
{
    // Windows translates line ends itself: the handle becomes a descriptor
    // with the text flag (0x4000) in text mode, and the stream gets the mode
    // string as it stands.
    struct Case {
        UINT flags;
        int descriptorFlags;
        const char* mode;
    } const cases[] = {
        {READ_TEXT, 0x4000, "rt"},
        {READ_BINARY, 0, "rb"},
        {CREATE_BINARY, 0, "w+b"},
        {CREATE_TEXT, 0x4000, "w+t"},
    };
    WriteFileBytes("a.txt", "x");
    ScopedSysIo restore;
    Sys().openOsfHandle = [](std::intptr_t handle, int flags) {
        g_streamCall.descriptorFlags = flags;
        return RealSysIo().openOsfHandle(handle, flags);
    };
    Sys().fdopen = [](int fd, const char* mode) {
        g_streamCall.mode = mode;
        return RealSysIo().fdopen(fd, mode);
    };
    for (const Case& c : cases) {
        g_streamCall = StreamCall();
        CLineFile file;
        ASSERT_TRUE(file.Open("a.txt", c.flags)) << c.mode;
        EXPECT_EQ(g_streamCall.descriptorFlags, c.descriptorFlags) << c.mode;
        EXPECT_EQ(g_streamCall.mode, c.mode);
    }
}

TEST_F(LineFileTest, FailedDescriptorClosesTheHandleOnce)
{
    WriteFileBytes("a.txt", "x");
    ScopedSysIo restore;
    static int closed;
    static bool streamAsked;
    closed = 0;
    streamAsked = false;
    Sys().openOsfHandle = [](std::intptr_t, int) {
        errno = EMFILE;
        _doserrno = 4;  // ERROR_TOO_MANY_OPEN_FILES
        return -1;
    };
    Sys().fdopen = [](int fd, const char* mode) {
        streamAsked = true;
        return RealSysIo().fdopen(fd, mode);
    };
    Sys().closeHandle = [](std::intptr_t handle) {
        ++closed;
        return RealSysIo().closeHandle(handle);
    };
    CLineFile file;
    CFileException error;
    EXPECT_FALSE(file.Open("a.txt", READ_TEXT, &error));
    EXPECT_EQ(error.m_cause, CFileException::tooManyOpenFiles);
    EXPECT_EQ(error.m_lOsError, 4);
    EXPECT_FALSE(streamAsked);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_FALSE(file.m_bCloseOnDelete);
}

#endif

// ---- the exception's own text ------------------------------------------

struct CauseCase {
    long osError;
    int cause;
};

TEST(FileExceptionTest, OsErrorsMapToCauses)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "the operating-system errors of Windows are Win32 codes; os_error_test checks their table";
#endif
    const CauseCase cases[] = {
        {0, CFileException::none},
        {ENOENT, CFileException::fileNotFound},
        {EACCES, CFileException::accessDenied},
        {EISDIR, CFileException::accessDenied},
        {ENOSPC, CFileException::diskFull},
        {EMFILE, CFileException::tooManyOpenFiles},
        {ENOTDIR, CFileException::badPath},
        {EIO, CFileException::hardIO},
        {EXDEV, CFileException::genericException},
    };
    for (const CauseCase& c : cases) {
        EXPECT_EQ(CFileException::OsErrorToException(c.osError), c.cause) << c.osError;
    }
}

TEST(FileExceptionTest, MessageNamesFileAndReason)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "the operating-system errors of Windows are Win32 codes; os_error_test checks their messages";
#endif
    EXPECT_EQ(CFileException(CFileException::genericException, EIO, "/d/x.idf").GetErrorMessage(),
              "cannot read or write /d/x.idf: Input/output error");
    EXPECT_EQ(CFileException(CFileException::badSeek, 0, "/d/x.idf").GetErrorMessage(),
              "cannot seek in /d/x.idf: seek error");
    EXPECT_STREQ(CFileException(CFileException::fileNotFound, ENOENT, "a").what(),
                 "cannot open a: No such file or directory");
}

}  // namespace
