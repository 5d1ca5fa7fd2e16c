// The output written under an unfinished name: which names it takes, and
// what it refuses to replace.
#include "engine/output_file.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#else
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "engine/convert_file.h"
#include "platform/file_status.h"
#include "platform/sysio.h"
#include "support/test_util.h"

namespace {

using testutil::Exists;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

class OutputFileTest : public testutil::TempDirTest {
protected:
    testutil::ScopedAreaSettings m_area{1.0f, 1};
};

// ---- unfinished names ----------------------------------------------------------

// The name part of `path`.
std::string NameOf(const std::string& path)
{
    return path.substr(path.find_last_of("/\\") + 1);
}

TEST_F(OutputFileTest, UnfinishedNamesFitBesideEveryOutputNameTheFolderTakes)
{
    const std::size_t longest = LongestNameBeside(PathOf("x").c_str());
    // Output names from short ones, which keep the plain unfinished name,
    // to the longest the folder takes, whose unfinished names are cut.
    const std::size_t lengths[] = {8, longest - 12, longest - 11, longest - 8, longest - 1, longest};
    for (const std::size_t length : lengths) {
        SCOPED_TRACE(length);
        const std::string output = PathOf(std::string(length - 7, 'n') + "+IV.txt");
        std::vector<std::string> names;
        for (int attempt = 1; attempt <= 3; ++attempt) {
            const std::string name = UnfinishedNameFor(output.c_str(), attempt).str();
            const bool plain = length + std::strlen(".unfinished") + (attempt > 1 ? 2 : 0) <= longest;
            EXPECT_LE(NameOf(name).size(), longest) << name;
            EXPECT_EQ(name.substr(0, output.size() - length), output.substr(0, output.size() - length));
            if (plain) {
                EXPECT_EQ(name, output + ".unfinished" + (attempt > 1 ? "-" + std::to_string(attempt) : ""));
            } else {
                EXPECT_TRUE(name.ends_with(".unfinished")) << name;
            }
            for (const std::string& earlier : names) EXPECT_NE(name, earlier);
            names.push_back(name);
        }
        // The longest of them is written and put in place like any other.
        WriteFileBytes(output, "an earlier output\r\n");
        COutputFile file(output.c_str());
        EXPECT_EQ(file.TemporaryPath().str(), names[0]);
        file.Lines().WriteText("1.000000,2.000000,3.000000\n");
        file.Commit();
        EXPECT_EQ(ReadFileBytes(output), "1.000000,2.000000,3.000000\r\n");
        EXPECT_FALSE(Exists(names[0]));
    }
}

// ---- outputs the user may not write ------------------------------------------------

// Opening the output for writing is refused, as the system refuses a user
// without the right to write it (the tests run as a user who has it).
const char* g_unwritable = nullptr;

#ifdef _WIN32
std::intptr_t RefuseWriting(const char* path, unsigned long access, unsigned long share,
                            unsigned long disposition)
{
    if (std::string(path) == g_unwritable && (access & GENERIC_WRITE) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return -1;
    }
    return RealSysIo().createFile(path, access, share, disposition);
}
void RefuseWritingTheOutput()
{
    Sys().createFile = RefuseWriting;
}
#else
int RefuseWriting(const char* path, int flags, mode_t mode)
{
    if (std::string(path) == g_unwritable && (flags & O_ACCMODE) != O_RDONLY) {
        errno = EACCES;
        return -1;
    }
    return RealSysIo().open(path, flags, mode);
}
void RefuseWritingTheOutput()
{
    Sys().open = RefuseWriting;
}
#endif

TEST_F(OutputFileTest, OutputTheUserMayNotWriteStopsItsConversionAsAFailedOpenDid)
{
    const std::string input = PathOf("cell.idf");
    const std::string output = PathOf("cell+IV.txt");
    const std::string earlier = "an earlier output the user may only read\r\n";
    WriteFileBytes(input, "primary_data\r\n3\r\n1\r\n1 2 3\r\n");
    WriteFileBytes(output, earlier);
    g_unwritable = output.c_str();
    ScopedSysIo restore;
    RefuseWritingTheOutput();

    // What an open of the output for writing in place reports.
    CLineFile inPlace;
    CFileException openError;
    ASSERT_FALSE(inPlace.Open(output.c_str(), CREATE_TEXT, &openError));

    testutil::ExpectFileError([&] { ConvertFile(input.c_str(), output.c_str()); },
                              {.cause = openError.m_cause,
                               .osError = openError.m_lOsError,
                               .path = output,
                               .message = openError.GetErrorMessage().str()});
    EXPECT_EQ(ReadFileBytes(output), earlier);
    EXPECT_FALSE(Exists(output + ".unfinished"));
    // A missing output is written as ever: only replacing is refused.
    std::filesystem::remove(output);
    EXPECT_EQ(ConvertFile(input.c_str(), output.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(output), "1.000000,-2000.000000,3.000000\r\n");
}

}  // namespace
