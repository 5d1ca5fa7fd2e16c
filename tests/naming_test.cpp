// Turning picked paths into jobs: the path splitter, AddJob's naming rule,
// the table's capacity, the file-list text and the name reduction.
#include "batch/naming.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/job_table.h"
#include "platform/path.h"

namespace {

// Starts every test with an empty table and puts the count back afterwards.
class NamingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedCount = g_jobCount;
        m_savedList = g_fileListText;
        ClearJobs();
    }
    void TearDown() override
    {
        g_jobCount = m_savedCount;
        g_fileListText = m_savedList;
    }

private:
    int m_savedCount = 0;
    CString m_savedList;
};

struct Parts {
    std::string fullPath, name, ext, dir;
};

Parts PartsOf(const PathEntry& entry)
{
    return {entry.fullPath.str(), entry.name.str(), entry.ext.str(), entry.dir.str()};
}

void ExpectParts(const Parts& expected, const PathEntry& actual)
{
    const Parts got = PartsOf(actual);
    EXPECT_EQ(expected.fullPath, got.fullPath);
    EXPECT_EQ(expected.name, got.name);
    EXPECT_EQ(expected.ext, got.ext);
    EXPECT_EQ(expected.dir, got.dir);
}

// --- The path splitter --------------------------------------------------------

struct SplitCase {
    const char* what;
    const char* path;
    const char* drive;
    const char* dir;
    const char* name;
    const char* ext;
};

TEST(SplitPathTest, CutsDriveDirectoryNameAndExtension)
{
    const SplitCase cases[] = {
        {"drive, directory, name, extension", "D:\\run\\cell_A_07.idf", "D:", "\\run\\", "cell_A_07", ".idf"},
        {"no extension", "D:\\run\\noext", "D:", "\\run\\", "noext", ""},
        {"last point starts the extension", "D:\\run\\a.b.idf", "D:", "\\run\\", "a.b", ".idf"},
        {"network path has no drive", "\\\\server\\share\\x.csv", "", "\\\\server\\share\\", "x", ".csv"},
        {"slash separates", "/data/run/cell.idf", "", "/data/run/", "cell", ".idf"},
        {"last of mixed separators ends the directory", "D:/run\\sub/x.idf", "D:", "/run\\sub/", "x", ".idf"},
        {"point in a directory is no extension", "/data.v2/noext", "", "/data.v2/", "noext", ""},
        {"bare name", "x.idf", "", "", "x", ".idf"},
        {"drive without directory", "D:x.idf", "D:", "", "x", ".idf"},
        {"drive alone", "D:", "D:", "", "", ""},
        {"colon elsewhere is no drive", "ab:c.idf", "", "", "ab:c", ".idf"},
        {"leading point makes it all extension", "/run/.hidden", "", "/run/", "", ".hidden"},
        {"trailing point is an empty extension", "/run/name.", "", "/run/", "name", "."},
        {"trailing separator leaves no name", "/run/", "", "/run/", "", ""},
        {"empty path", "", "", "", "", ""},
        {"one character", "C", "", "", "C", ""},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.what);
        CString drive = "old", dir = "old", name = "old", ext = "old";
        SplitPath(c.path, drive, dir, name, ext);
        EXPECT_EQ(std::string(c.drive), drive.str());
        EXPECT_EQ(std::string(c.dir), dir.str());
        EXPECT_EQ(std::string(c.name), name.str());
        EXPECT_EQ(std::string(c.ext), ext.str());
    }
}

TEST(SplitPathTest, NameLongerThanTheOldBuffersIsKeptWhole)
{
    const std::string longName(600, 'n');
    CString drive, dir, name, ext;
    SplitPath(("/run/" + longName + ".idf").c_str(), drive, dir, name, ext);
    EXPECT_EQ(longName, name.str());
    EXPECT_EQ(".idf", ext.str());
}

// --- AddJob: source parts and the derived target --------------------------------

struct AddJobCase {
    const char* what;
    const char* path;
    Parts source;
    Parts target;
};

TEST_F(NamingTest, AddJobDerivesTheOutputPathFromTheInput)
{
    const AddJobCase cases[] = {
        {"windows path",
         "D:\\run\\cell_A_07.idf",
         {"D:\\run\\cell_A_07.idf", "cell_A_07", ".idf", "D:\\run\\"},
         {"D:\\run\\cell_A_07+IV.txt", "cell_A_07+IV", ".txt", "D:\\run\\"}},
        {"csv extension is replaced as well",
         "D:\\run\\scan.csv",
         {"D:\\run\\scan.csv", "scan", ".csv", "D:\\run\\"},
         {"D:\\run\\scan+IV.txt", "scan+IV", ".txt", "D:\\run\\"}},
        {"no extension",
         "D:\\run\\noext",
         {"D:\\run\\noext", "noext", "", "D:\\run\\"},
         {"D:\\run\\noext+IV.txt", "noext+IV", ".txt", "D:\\run\\"}},
        {"several points",
         "D:\\run\\a.b.idf",
         {"D:\\run\\a.b.idf", "a.b", ".idf", "D:\\run\\"},
         {"D:\\run\\a.b+IV.txt", "a.b+IV", ".txt", "D:\\run\\"}},
        {"network path",
         "\\\\server\\share\\x.csv",
         {"\\\\server\\share\\x.csv", "x", ".csv", "\\\\server\\share\\"},
         {"\\\\server\\share\\x+IV.txt", "x+IV", ".txt", "\\\\server\\share\\"}},
        {"absolute path with slashes",
         "/data/run/cell_A_07.idf",
         {"/data/run/cell_A_07.idf", "cell_A_07", ".idf", "/data/run/"},
         {"/data/run/cell_A_07+IV.txt", "cell_A_07+IV", ".txt", "/data/run/"}},
        {"directory is cut from the path, drive included",
         "D:x.idf",
         {"D:x.idf", "x", ".idf", "D:"},
         {"D:x+IV.txt", "x+IV", ".txt", "D:"}},
        {"name that is all extension",
         "/run/.idf",
         {"/run/.idf", "", ".idf", "/run/"},
         {"/run/+IV.txt", "+IV", ".txt", "/run/"}},
        {"percent signs are text, not format",
         "/run/100%s_%d.idf",
         {"/run/100%s_%d.idf", "100%s_%d", ".idf", "/run/"},
         {"/run/100%s_%d+IV.txt", "100%s_%d+IV", ".txt", "/run/"}},
    };
    for (const AddJobCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearJobs();
        ASSERT_TRUE(AddJob(c.path));
        ASSERT_EQ(1, g_jobCount);
        ExpectParts(c.source, g_sourceEntries[0]);
        ExpectParts(c.target, g_targetEntries[0]);
    }
}

TEST_F(NamingTest, JobsFollowInTheOrderAddedAcrossSelections)
{
    EXPECT_EQ(0, AddJobs({"/a/one.idf", "/a/two.csv"}));
    EXPECT_EQ(0, AddJobs({"/b/three.idf", "/b/four.csv"}));
    ASSERT_EQ(4, g_jobCount);
    const char* expected[] = {"/a/one.idf", "/a/two.csv", "/b/three.idf", "/b/four.csv"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::string(expected[i]), g_sourceEntries[i].fullPath.str()) << "job " << i;
    }
}

TEST_F(NamingTest, ReusedSlotKeepsNothingOfTheEarlierJob)
{
    AddJobs({"D:\\long\\directory\\first_name.idf", "D:\\long\\directory\\second.csv"});
    ClearJobs();
    AddJobs({"/n", "\\\\srv\\s\\x"});
    ASSERT_EQ(2, g_jobCount);
    ExpectParts({"/n", "n", "", "/"}, g_sourceEntries[0]);
    ExpectParts({"/n+IV.txt", "n+IV", ".txt", "/"}, g_targetEntries[0]);
    ExpectParts({"\\\\srv\\s\\x", "x", "", "\\\\srv\\s\\"}, g_sourceEntries[1]);
    ExpectParts({"\\\\srv\\s\\x+IV.txt", "x+IV", ".txt", "\\\\srv\\s\\"}, g_targetEntries[1]);
}

TEST_F(NamingTest, SameNameWithTwoExtensionsGivesOneTargetPath)
{
    AddJobs({"/run/x.idf", "/run/x.csv"});
    EXPECT_EQ(g_targetEntries[0].fullPath.str(), g_targetEntries[1].fullPath.str());
    EXPECT_EQ("/run/x+IV.txt", g_targetEntries[1].fullPath.str());
}

TEST_F(NamingTest, DuplicatePathsBecomeTwoJobs)
{
    AddJobs({"/run/x.idf", "/run/x.idf"});
    ASSERT_EQ(2, g_jobCount);
    EXPECT_EQ(g_sourceEntries[0].fullPath.str(), g_sourceEntries[1].fullPath.str());
}

// --- Capacity --------------------------------------------------------------------

std::vector<std::string> NumberedPaths(int count)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back("/run/f" + std::to_string(i) + ".idf");
    }
    return paths;
}

TEST_F(NamingTest, TableHoldsExactlyMaxJobs)
{
    EXPECT_EQ(0, AddJobs(NumberedPaths(MAX_JOBS)));
    EXPECT_EQ(MAX_JOBS, g_jobCount);
    EXPECT_EQ("/run/f999+IV.txt", g_targetEntries[MAX_JOBS - 1].fullPath.str());
}

TEST_F(NamingTest, JobPastMaxJobsIsRefusedAndChangesNothing)
{
    AddJobs(NumberedPaths(MAX_JOBS));
    EXPECT_FALSE(AddJob("/run/extra.idf"));
    EXPECT_EQ(MAX_JOBS, g_jobCount);
    ExpectParts({"/run/f999.idf", "f999", ".idf", "/run/"}, g_sourceEntries[MAX_JOBS - 1]);
    ExpectParts({"/run/f999+IV.txt", "f999+IV", ".txt", "/run/"}, g_targetEntries[MAX_JOBS - 1]);
}

struct RefusalCase {
    const char* what;
    int alreadyHeld;
    int offered;
    int refused;
};

TEST_F(NamingTest, AddJobsCountsTheRefusedPaths)
{
    const RefusalCase cases[] = {
        {"all fit", 0, 10, 0},
        {"exactly fills the table", 990, 10, 0},
        {"one too many from empty", 0, MAX_JOBS + 1, 1},
        {"partly full table", 998, 5, 3},
        {"full table refuses all", MAX_JOBS, 4, 4},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearJobs();
        AddJobs(NumberedPaths(c.alreadyHeld));
        EXPECT_EQ(c.refused, AddJobs(NumberedPaths(c.offered)));
        EXPECT_EQ(std::min(MAX_JOBS, c.alreadyHeld + c.offered), g_jobCount);
    }
}

// --- The file-list text ------------------------------------------------------------

struct ListCase {
    const char* what;
    std::vector<std::string> paths;
    const char* text;
};

TEST_F(NamingTest, ListTextHoldsOneBareNamePerJob)
{
    const ListCase cases[] = {
        {"empty table gives empty text", {}, ""},
        {"one job", {"D:\\run\\cell_A_07.idf"}, "cell_A_07\r\n"},
        {"names without directory or extension, in order",
         {"/a/one.idf", "/b/two.csv", "/c/three"},
         "one\r\ntwo\r\nthree\r\n"},
        {"same name twice shows twice", {"/run/x.idf", "/run/x.csv"}, "x\r\nx\r\n"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearJobs();
        g_fileListText = "stale text\r\n";
        AddJobs(c.paths);
        RebuildFileListText();
        EXPECT_EQ(std::string(c.text), g_fileListText.str());
    }
}

TEST_F(NamingTest, ListTextAfterClearShowsOnlyNewJobs)
{
    AddJobs({"/run/old1.idf", "/run/old2.idf", "/run/old3.idf"});
    RebuildFileListText();
    ClearJobs();
    AddJobs({"/run/new.csv"});
    RebuildFileListText();
    EXPECT_EQ("new\r\n", g_fileListText.str());
}

// --- Name reduction ----------------------------------------------------------------

// The naming rule alone: the input's folder and name, "+IV", ".txt"; with
// "Reduce File Name", what follows the name's last underscore.
struct RuleCase {
    const char* what;
    const char* input;
    const char* output;
    const char* reduced;
};

TEST_F(NamingTest, OutputPathFollowsTheInputWithAndWithoutReduction)
{
    const RuleCase cases[] = {
        {"usual name", "D:\\run\\cell_A_07.idf", "D:\\run\\cell_A_07+IV.txt", "D:\\run\\07+IV.txt"},
        {"no underscore", "D:\\run\\scan.csv", "D:\\run\\scan+IV.txt", "D:\\run\\scan+IV.txt"},
        {"no extension", "/run/noext", "/run/noext+IV.txt", "/run/noext+IV.txt"},
        {"several points", "/run/a.b_c.idf", "/run/a.b_c+IV.txt", "/run/c+IV.txt"},
        {"network path", "\\\\srv\\s\\x_1.csv", "\\\\srv\\s\\x_1+IV.txt", "\\\\srv\\s\\1+IV.txt"},
        {"underscore first", "D:\\run\\_x.idf", "D:\\run\\_x+IV.txt", "D:\\run\\x+IV.txt"},
        {"underscore last", "D:\\run\\abc_.idf", "D:\\run\\abc_+IV.txt", "D:\\run\\+IV.txt"},
        {"double underscore", "/run/a__b.idf", "/run/a__b+IV.txt", "/run/b+IV.txt"},
        {"underscore in the directory only", "/my_run/scan.idf", "/my_run/scan+IV.txt",
         "/my_run/scan+IV.txt"},
        {"underscore in the extension goes with it", "/run/scan.id_f", "/run/scan+IV.txt",
         "/run/scan+IV.txt"},
        {"bare name", "x_2.idf", "x_2+IV.txt", "2+IV.txt"},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OutputPathFor(c.input, false).str(), c.output);
        EXPECT_EQ(OutputPathFor(c.input, true).str(), c.reduced);
        // The table gives the same names, and a shortened one stays short.
        ClearJobs();
        AddJob(c.input);
        EXPECT_EQ(g_targetEntries[0].fullPath.str(), c.output);
        ReduceTargetName(0);
        EXPECT_EQ(g_targetEntries[0].fullPath.str(), c.reduced);
        EXPECT_EQ(TargetPathOf(0, false).str(), c.reduced);
    }
}

TEST_F(NamingTest, ReducingTwiceChangesNothingMore)
{
    AddJob("D:\\run\\cell_A_07.idf");
    ReduceTargetName(0);
    ReduceTargetName(0);
    EXPECT_EQ("D:\\run\\07+IV.txt", g_targetEntries[0].fullPath.str());
}

TEST_F(NamingTest, ReductionRebuildsDirAndExtFromTheSource)
{
    AddJob("D:\\run\\cell_A_07.idf");
    g_targetEntries[0].dir = "elsewhere\\";
    g_targetEntries[0].ext = ".dat";
    ReduceTargetName(0);
    ExpectParts({"D:\\run\\07+IV.txt", "07+IV", ".txt", "D:\\run\\"}, g_targetEntries[0]);
}

TEST_F(NamingTest, ReductionWithoutUnderscoreLeavesEveryPartAlone)
{
    AddJob("D:\\run\\scan.csv");
    g_targetEntries[0].dir = "elsewhere\\";
    g_targetEntries[0].ext = ".dat";
    ReduceTargetName(0);
    EXPECT_EQ("elsewhere\\", g_targetEntries[0].dir.str());
    EXPECT_EQ(".dat", g_targetEntries[0].ext.str());
    EXPECT_EQ("D:\\run\\scan+IV.txt", g_targetEntries[0].fullPath.str());
}

TEST_F(NamingTest, ReductionTouchesOnlyItsOwnJob)
{
    AddJobs({"/run/a_1.idf", "/run/b_2.idf"});
    ReduceTargetName(1);
    EXPECT_EQ("/run/a_1+IV.txt", g_targetEntries[0].fullPath.str());
    EXPECT_EQ("/run/2+IV.txt", g_targetEntries[1].fullPath.str());
}

struct FolderCase {
    const char* what;
    const char* input;
    bool reduce;
    std::string folder;
    std::string output;
};

// A chosen folder takes the input folder's place and nothing else: the name
// follows the same rule, and exactly one separator joins the two.
TEST_F(NamingTest, OutputFolderTakesTheInputFoldersPlace)
{
    const std::string sep(1, PATH_SEPARATOR);
    const FolderCase cases[] = {
        {"no folder keeps the input's", "/run/cell_A_07.idf", false, "", "/run/cell_A_07+IV.txt"},
        {"a folder without a closing separator", "/run/cell_A_07.idf", false, "/out",
         "/out" + sep + "cell_A_07+IV.txt"},
        {"a folder with one", "/run/cell_A_07.idf", false, "/out" + sep, "/out" + sep + "cell_A_07+IV.txt"},
        {"shortened too", "/run/cell_A_07.idf", true, "/out", "/out" + sep + "07+IV.txt"},
        {"a bare input name", "x.csv", false, "/out", "/out" + sep + "x+IV.txt"},
        {"a Windows input path", "D:\\run\\scan.csv", false, "/out", "/out" + sep + "scan+IV.txt"},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OutputPathFor(c.input, c.reduce, c.folder.c_str()).str(), c.output);
        BatchJob job{c.input, false, OutputPathFor(c.input, c.reduce, c.folder.c_str())};
        EXPECT_EQ(JobOutputPath(job, !c.reduce).str(), c.output) << "a chosen output is kept as it is";
    }
}

struct NothingLeftCase {
    const char* input;
    bool nothingLeft;
};

TEST_F(NamingTest, NamesEndingInAnUnderscoreWouldLeaveNothing)
{
    const NothingLeftCase cases[] = {
        {"D:\\run\\abc_.idf", true}, {"/run/_.idf", true},       {"/run/abc_", true},
        {"/run/a_b.idf", false},     {"/run/abc_.x.idf", false}, {"/my_/scan.idf", false},
        {"/run/abc.idf_", false},    {"/run/.idf", false},
    };
    for (const NothingLeftCase& c : cases) {
        EXPECT_EQ(ReducesToNothing(c.input), c.nothingLeft) << c.input;
    }
}

}  // namespace
