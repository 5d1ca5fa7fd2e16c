// The per-file entry: which pipelines run for which path, and what becomes
// of the work file.
#include "engine/convert_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/file_exception.h"
#include "platform/sysio.h"
#include "support/test_util.h"

namespace {

using testutil::Crlf;
using testutil::Exists;
using testutil::MessageRecorder;
using testutil::ReadFileBytes;
using testutil::ScopedAreaSettings;
using testutil::WriteFileBytes;

// An input that only the current-voltage converter understands: the
// impedance converter would stop on its first row with a message.
const std::string IV_INPUT = "header\r\nprimary_data\r\n3\r\n1\r\n1 2 3\r\n";
const std::string IV_OUTPUT = "1.000000,-2000.000000,3.000000\r\n";
// An input that only the impedance converter understands.
const std::string EIS_INPUT =
    "Pt,Time,Type,E,I,Cycle,Freq,Zmod,Zphz,Zreal,Zimag\r\n1,0,EIS,0,0,1,1000,0,0,10,-5\r\n";
const std::string EIS_OUTPUT = "1000.000000 10.000000 5.000000\r\n";

class ConvertFileTest : public testutil::TempDirTest {
protected:
    // Writes `content` to `inputName` (inside the test folder), converts it
    // into "out.txt" and returns ConvertFile's result.
    int Convert(const std::string& inputName, const std::string& content, bool absolute = true)
    {
        WriteFileBytes(inputName, content);
        const std::string input = absolute ? PathOf(inputName) : inputName;
        return ConvertFile(input.c_str(), PathOf("out.txt").c_str());
    }

    // Every file and folder left in the test folder, as relative paths.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir()))
            names.push_back(std::filesystem::relative(entry.path(), Dir()).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScopedAreaSettings m_area{1.0f, 1};
    MessageRecorder m_messages;
};

// ---- marker rules ------------------------------------------------------

TEST_F(ConvertFileTest, IdfPathRunsTheCurrentVoltagePipelineOnly)
{
    EXPECT_EQ(Convert("cell_A_07.idf", IV_INPUT), 0);
    EXPECT_EQ(ReadFileBytes("out.txt"), IV_OUTPUT);
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(ConvertFileTest, CsvPathRunsTheImpedancePipelineOnly)
{
    EXPECT_EQ(Convert("cell_A_07.csv", EIS_INPUT), 0);
    EXPECT_EQ(ReadFileBytes("out.txt"), EIS_OUTPUT);
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
}

TEST_F(ConvertFileTest, MarkersAreCaseSensitive)
{
    for (const char* name : {"CELL.IDF", "cell.Csv", "cell.Idf", "cell.CSV"}) {
        EXPECT_EQ(Convert(name, IV_INPUT + EIS_INPUT), 0) << name;
        EXPECT_EQ(Entries(), std::vector<std::string>{name}) << "nothing is created for " << name;
        std::filesystem::remove(name);
    }
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(ConvertFileTest, MarkerAnywhereInThePathCounts)
{
    for (const char* name : {"a.idf.bak", "data.idfs/b.txt", "x.idf/y.idf/z"}) {
        EXPECT_EQ(Convert(name, IV_INPUT), 0) << name;
        EXPECT_EQ(ReadFileBytes("out.txt"), IV_OUTPUT) << name;
        EXPECT_FALSE(Exists(WORK_FILE_NAME)) << name;
        std::filesystem::remove("out.txt");
    }
    EXPECT_EQ(Convert("run.csv.d/cell", EIS_INPUT), 0);
    EXPECT_EQ(ReadFileBytes("out.txt"), EIS_OUTPUT);
}

TEST_F(ConvertFileTest, MarkerAtIndexZeroDoesNotCount)
{
    for (const char* name : {".idf", ".csv", ".idfdata"}) {
        EXPECT_EQ(Convert(name, IV_INPUT + EIS_INPUT, false), 0) << name;
        EXPECT_EQ(Entries(), std::vector<std::string>{name}) << name;
        std::filesystem::remove(name);
    }
    // ".idf" further in still counts although ".csv" at the start does not.
    EXPECT_EQ(Convert(".csv.idf", IV_INPUT, false), 0);
    EXPECT_EQ(ReadFileBytes("out.txt"), IV_OUTPUT);
    EXPECT_TRUE(m_messages.Messages().empty());
}

// What the output held each time the work file was deleted.
std::vector<std::string> g_outputAtDeletion;
int RecordingUnlink(const char* path)
{
    g_outputAtDeletion.push_back(Exists("out.txt") ? ReadFileBytes("out.txt") : "(none)");
    return RealSysIo().unlink(path);
}

TEST_F(ConvertFileTest, PathWithBothMarkersRunsOnlyTheConverterWhoseMarkerStandsLast)
{
    // Both pipelines used to run one after the other, and the impedance
    // pass replaced the sweep's output. Now one converter runs per file.
    // Line 1 is the impedance header and holds the marker line; the current-
    // voltage converter skips line 2, reads the count 1 from line 3 and the
    // numbers 7 8 9 from line 4, while the impedance converter takes all
    // three rows.
    const std::string input =
        "primary_data,x\r\n"
        "a,b,EIS,d,e,f,1000,h,i,10,-5\r\n"
        "1,b,EIS,d,e,f,2000,h,i,20,-6\r\n"
        "7 8 9,x,EIS,d,e,f,3000,h,i,30,-7\r\n";
    const std::string sweep = "7.000000,-8000.000000,9.000000\r\n";
    const std::string impedance =
        "1000.000000 10.000000 5.000000\r\n2000.000000 20.000000 6.000000\r\n3000.000000 30.000000 "
        "7.000000\r\n";
    struct Case {
        const char* input;
        const char* kind;
        const std::string& output;
    } const cases[] = {
        {"run.csv/cell.idf", IV_KIND, sweep},
        {"x.idf.csv", EIS_KIND, impedance},
        {"a.csv.idf.csv.bak", EIS_KIND, impedance},
        {"run.idf/x.csv/cell.idf.txt", IV_KIND, sweep},
        {"run.idf/x.csv.idf/cell.csv", EIS_KIND, impedance},
    };
    ScopedSysIo restore;
    Sys().unlink = RecordingUnlink;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        g_outputAtDeletion.clear();
        WriteFileBytes(c.input, input);
        FileOutcome outcome;
        EXPECT_EQ(ConvertFile(PathOf(c.input).c_str(), PathOf("out.txt").c_str(), outcome), 0);
        EXPECT_EQ(ReadFileBytes("out.txt"), c.output);
        EXPECT_EQ(outcome.kind.str(), c.kind);
        EXPECT_EQ(g_outputAtDeletion, std::vector<std::string>{c.output}) << "one pipeline, one work file";
        EXPECT_FALSE(Exists(WORK_FILE_NAME));
    }
}

TEST_F(ConvertFileTest, NeitherMarkerCreatesNothing)
{
    for (const char* name : {"cell.txt", "cell.id", "cell_idf", "csv"}) {
        EXPECT_EQ(Convert(name, IV_INPUT), 0) << name;
        EXPECT_EQ(Entries(), std::vector<std::string>{name}) << name;
        std::filesystem::remove(name);
    }
}

// ---- the work file -----------------------------------------------------

TEST_F(ConvertFileTest, WorkFileIsDeletedAlsoWhenNoDataWasFound)
{
    EXPECT_EQ(Convert("cell.idf", "no marker in here\r\n"), 0);
    EXPECT_TRUE(Exists("out.txt"));
    EXPECT_EQ(ReadFileBytes("out.txt"), "");
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
}

TEST_F(ConvertFileTest, WorkFileIsDeletedAfterTheImpedanceMessage)
{
    EXPECT_EQ(Convert("cell.csv", "header\r\nno,marker,here\r\n"), 0);
    EXPECT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(ReadFileBytes("out.txt"), "");
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
}

TEST_F(ConvertFileTest, StaleWorkFileIsReplacedAndRemoved)
{
    WriteFileBytes(WORK_FILE_NAME, "primary_data\r\n3\r\n1\r\n9 9 9\r\n");
    EXPECT_EQ(Convert("cell.idf", "nothing to convert\r\n"), 0);
    EXPECT_EQ(ReadFileBytes("out.txt"), "") << "nothing of the stale work file survives";
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
}

TEST_F(ConvertFileTest, WorkFileLiesInTheCurrentFolderNotBesideTheInput)
{
    WriteFileBytes("in/cell.idf", IV_INPUT);
    ScopedSysIo restore;
    Sys().unlink = RecordingUnlink;
    g_outputAtDeletion.clear();
    EXPECT_EQ(ConvertFile(PathOf("in/cell.idf").c_str(), PathOf("out.txt").c_str()), 0);
    EXPECT_EQ(g_outputAtDeletion.size(), 1u);
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
    EXPECT_FALSE(Exists("in/" + std::string(WORK_FILE_NAME)));
}

TEST_F(ConvertFileTest, FailedDeletionIsIgnored)
{
    ScopedSysIo restore;
    Sys().unlink = [](const char*) {
        errno = EACCES;
        return -1;
    };
    EXPECT_EQ(Convert("cell.idf", IV_INPUT), 0);
    EXPECT_EQ(ReadFileBytes("out.txt"), IV_OUTPUT);
    EXPECT_TRUE(Exists(WORK_FILE_NAME));
}

// ---- file errors ---------------------------------------------------------

TEST_F(ConvertFileTest, FileErrorLeavesTheWorkFileBehind)
{
    struct Case {
        const char* input;
        std::string content;
        std::string work;  // what the filter left
    } const cases[] = {
        {"cell.idf", IV_INPUT, IV_INPUT},
        {"cell.csv", EIS_INPUT, EIS_INPUT},
        {"run.csv/cell.idf", IV_INPUT, IV_INPUT},  // ".idf" stands last: only the sweep's pipeline runs
    };
    for (const Case& c : cases) {
        WriteFileBytes(c.input, c.content);
        const std::string output = PathOf("missing-folder/out.txt");
        ScopedSysIo restore;
        static int deletions;
        deletions = 0;
        Sys().unlink = [](const char* path) {
            ++deletions;
            return RealSysIo().unlink(path);
        };
        testutil::ExpectFileError([&] { ConvertFile(PathOf(c.input).c_str(), output.c_str()); },
                                  {.osError = testutil::OS_FOLDER_NOT_FOUND, .path = output}, c.input);
        EXPECT_EQ(deletions, 0) << c.input;
        EXPECT_EQ(ReadFileBytes(WORK_FILE_NAME), c.work) << c.input;
        EXPECT_FALSE(Exists("missing-folder")) << c.input;
    }
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(ConvertFileTest, LeftoverWorkFileIsReplacedByTheNextRun)
{
    const std::string missing = PathOf("missing-folder/out.txt");
    WriteFileBytes("first.idf", "first\r\n");
    EXPECT_THROW(ConvertFile(PathOf("first.idf").c_str(), missing.c_str()), CFileException);
    ASSERT_EQ(ReadFileBytes(WORK_FILE_NAME), "first\r\n");
    EXPECT_EQ(Convert("second.idf", IV_INPUT), 0);
    EXPECT_EQ(ReadFileBytes("out.txt"), IV_OUTPUT);
    EXPECT_FALSE(Exists(WORK_FILE_NAME));
}

TEST_F(ConvertFileTest, MissingInputRaisesWithTheInputPath)
{
    const std::string input = PathOf("missing.idf");
    testutil::ExpectFileError([&] { ConvertFile(input.c_str(), PathOf("out.txt").c_str()); },
                              {.cause = CFileException::fileNotFound, .path = input});
    EXPECT_FALSE(Exists("out.txt"));
}

// ---- paths looked at before anything is opened -----------------------------

#ifndef _WIN32
// Each way an input could be written through, or a pipeline could block: the
// file error names the refused path, and nothing is written anywhere.
TEST_F(ConvertFileTest, PathsThatWouldDestroyDataOrBlockAreRefused)
{
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        std::function<void()> lay;  // lays out the folder; "v.idf" is the input
        const char* input;
        const char* output;
        const char* refused;
    } const cases[] = {
        {"output is a link to the input", [] { fs::create_symlink("v.idf", "v+IV.txt"); }, "v.idf",
         "v+IV.txt", "v+IV.txt"},
        {"output is a second name of the input", [] { fs::create_hard_link("v.idf", "v+IV.txt"); }, "v.idf",
         "v+IV.txt", "v+IV.txt"},
        {"work file is a link", [] { fs::create_symlink("thesis.txt", WORK_FILE_NAME); }, "v.idf", "v+IV.txt",
         WORK_FILE_NAME},
        {"work file is a link to nothing", [] { fs::create_symlink("nowhere.txt", WORK_FILE_NAME); }, "v.idf",
         "v+IV.txt", WORK_FILE_NAME},
        {"input is the work file", [] { fs::create_directory("d.idf"); },
         "d.idf/../"
         "123.xqrtmp",
         "v+IV.txt", WORK_FILE_NAME},
        {"input is a pipe", [] { ASSERT_EQ(mkfifo("p.idf", 0600), 0); }, "p.idf", "p+IV.txt", "p.idf"},
        {"output is a folder", [] { fs::create_directory("v+IV.txt"); }, "v.idf", "v+IV.txt", "v+IV.txt"},
        {"output is a device", [] { fs::create_symlink("/dev/null", "v+IV.txt"); }, "v.idf", "v+IV.txt",
         "v+IV.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(Dir())) fs::remove_all(entry.path());
        WriteFileBytes("v.idf", IV_INPUT);
        WriteFileBytes(WORK_FILE_NAME, IV_INPUT);  // an input may carry the work file's name
        WriteFileBytes("thesis.txt", "thesis");
        if (std::string(c.what) != "input is the work file") fs::remove(WORK_FILE_NAME);
        c.lay();
        const std::vector<std::string> before = Entries();
        const std::string refused =
            c.refused == std::string(WORK_FILE_NAME) ? WORK_FILE_NAME : PathOf(c.refused);
        testutil::ExpectFileError([&] { ConvertFile(PathOf(c.input).c_str(), PathOf(c.output).c_str()); },
                                  {.cause = CFileException::refused, .path = refused});
        EXPECT_EQ(Entries(), before);
        EXPECT_EQ(ReadFileBytes("v.idf"), IV_INPUT);
        EXPECT_EQ(ReadFileBytes("thesis.txt"), "thesis");
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
}

TEST_F(ConvertFileTest, OutputGetsThePermissionsOfAPlainCreate)
{
    const mode_t saved = umask(027);
    EXPECT_EQ(Convert("a.idf", IV_INPUT), 0);
    umask(saved);
    const auto permissions = std::filesystem::status("out.txt").permissions();
    EXPECT_EQ(permissions, std::filesystem::perms(0640));
}
#endif

TEST_F(ConvertFileTest, LineTooLongForMemoryIsAPlainFileError)
{
    ScopedSysIo restore;
    Sys().fgets = [](char*, int, FILE*) -> char* { throw std::length_error("basic_string::_M_replace_aux"); };
    const std::string input = PathOf("long.csv");
    WriteFileBytes("long.csv", EIS_INPUT);
    testutil::ExpectFileError(
        [&] { ConvertFile(input.c_str(), PathOf("out.txt").c_str()); },
        {.path = input,
         .message = "cannot read or write " + input + ": a line is too long to hold in memory"});
    EXPECT_FALSE(Exists("out.txt"));
}

// ---- what became of each file ---------------------------------------------

TEST_F(ConvertFileTest, OutcomeSaysWhatBecameOfTheFile)
{
    struct Case {
        const char* input;
        std::string content;
        FileResult result;
        long long rows;
        long long announced;
        const char* message;
    } const cases[] = {
        {"a.idf", IV_INPUT, FileResult::converted, 1, 1, ""},
        {"b.csv", EIS_INPUT + "1,0,EIS,0,0,1,2000,0,0,1,1\r\n", FileResult::converted, 2, -1, ""},
        {"c.idf", "primary_data\r\nx\r\n3\r\n1 2 3\r\n", FileResult::shortSweep, 1, 3,
         "only 1 of the 3 announced points are in the file"},
        {"d.idf", "no marker\r\n", FileResult::noData, 0, -1, "no \"primary_data\" line"},
        {"e.idf", "primary_data\r\nx\r\n0\r\n1 2 3\r\n", FileResult::noData, 0, 0,
         "no positive point count after the \"primary_data\" line"},
        {"f.csv", "header only\r\n", FileResult::noData, 0, -1, "no rows after the header line"},
        {"g.csv", "h\r\n1,0,DC,0\r\n", FileResult::noData, 0, -1, "no \"EIS\" row"},
        {"h.txt", "text", FileResult::notConverted, 0, -1, "the path contains neither \".idf\" nor \".csv\""},
        {"CELL.IDF", IV_INPUT, FileResult::notConverted, 0, -1,
         "the path contains \".IDF\", but only \".idf\" and \".csv\" in small letters are converted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        WriteFileBytes(c.input, c.content);
        FileOutcome outcome;
        EXPECT_EQ(ConvertFile(PathOf(c.input).c_str(), PathOf("out.txt").c_str(), outcome), 0);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.rows, c.rows);
        EXPECT_EQ(outcome.announced, c.announced);
        EXPECT_EQ(outcome.message.str(), c.message);
        EXPECT_EQ(outcome.input.str(), PathOf(c.input));
    }
}

}  // namespace
