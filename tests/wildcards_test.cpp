// File-name patterns on the command line: the matching rules, the walk over
// a command line with a stand-in folder, and on Windows the system's folder
// listing and the built quillmere-convert given patterns as the command
// prompt passes them.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/wildcards.h"
#include "support/cli_util.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

const MatchCase MATCH_CASES[] = {
    {"*.idf", "cell_A_07.idf", true},
    {"*.idf", "CELL.IDF", true},  // case does not count
    {"*.IDF", "cell.idf", true},
    {"*.idf", "cell.idfx", false},  // the whole name must match
    {"*.idf", "idf", false},
    {"*.idf", ".idf", true},  // * may stand for nothing
    {"cell_?.csv", "cell_B.csv", true},
    {"cell_?.csv", "cell_.csv", false},  // ? is exactly one character
    {"cell_?.csv", "cell_BB.csv", false},
    {"*_07*", "sweep_cell_A_07.idf", true},
    {"a*b*c", "aXXbYYc", true},
    {"a*b*c", "aXXbYYcZ", false},
    {"a*b*c", "abcbc", true},  // a later b and c after a mismatch
    {"*", "", true},
    {"*", "anything at all.txt", true},
    {"*.*", "no_extension", true},  // as the command prompt takes it
    {"data*.*", "data", true},
    {"data*.*", "other", false},
    {"?", "", false},
    {"", "", true},
    {"", "a", false},
    {"**.csv", "x.csv", true},
    {"*a", "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", false},
};

TEST(WildcardMatchTest, NamesMatchAsOnWindows)
{
    for (const MatchCase& test : MATCH_CASES) {
        EXPECT_EQ(MatchesWildcard(test.pattern, test.name), test.matches)
            << "pattern \"" << test.pattern << "\", name \"" << test.name << "\"";
    }
}

TEST(WildcardMatchTest, OnlyTheLastPartOfAPathCounts)
{
    EXPECT_TRUE(HasWildcard("*.idf"));
    EXPECT_TRUE(HasWildcard("D:\\run\\cell_?.csv"));
    EXPECT_TRUE(HasWildcard("run/*.idf"));
    EXPECT_TRUE(HasWildcard("C:*.idf"));
    EXPECT_FALSE(HasWildcard("cell_A_07.idf"));
    EXPECT_FALSE(HasWildcard("my data\\cell A.idf"));
    EXPECT_FALSE(HasWildcard("run*\\cell.idf"));
    EXPECT_FALSE(HasWildcard(""));
}

// A folder tree standing in for the disk: folder as typed -> names in it.
class FakeFolders {
public:
    explicit FakeFolders(std::map<std::string, std::vector<std::string>> folders)
        : m_folders(std::move(folders))
    {
    }

    FolderLister Lister()
    {
        return [this](const std::string& dir, const std::string& pattern) {
            m_asked.push_back(dir + "|" + pattern);
            const auto found = m_folders.find(dir);
            return found == m_folders.end() ? std::vector<std::string>{} : found->second;
        };
    }

    std::vector<std::string> m_asked;

private:
    std::map<std::string, std::vector<std::string>> m_folders;
};

struct ExpandCase {
    const char* what;
    Args args;
    Args expanded;
    Args unmatched;
};

TEST(WildcardExpandTest, CommandLinesExpandAsTheCommandPromptUserExpects)
{
    const ExpandCase cases[] = {
        {"patterns become the sorted matching names", {"*.idf"}, {"a.idf", "B.idf", "c.idf"}, {}},
        {"the folder part stays as typed",
         {"run\\*.csv", "D:\\lab/cell_?.csv"},
         {"run\\x.csv", "D:\\lab/cell_B.csv"},
         {}},
        {"names without wildcards and options pass unchanged, in order",
         {"--reduce-name", "my data.idf", "*.idf", "--area=2*", "z.csv"},
         {"--reduce-name", "my data.idf", "a.idf", "B.idf", "c.idf", "--area=2*", "z.csv"},
         {}},
        {"the value after --area is not a file",
         {"--area", "2*", "*.csv"},
         {"--area", "2*", "-x.csv", "d.csv"},
         {}},
        {"after -- every argument is a file",
         {"--", "--area", "*.csv", "-*"},
         {"--", "--area", "-x.csv", "d.csv", "-x.csv"},
         {}},
        {"patterns that match nothing are named and left out",
         {"*.txt", "a.idf", "nowhere\\*.idf"},
         {"a.idf"},
         {"*.txt", "nowhere\\*.idf"}},
        {"a lone dash is a file name", {"-"}, {"-"}, {}},
    };
    for (const ExpandCase& test : cases) {
        FakeFolders folders({
            {"", {"c.idf", "a.idf", "d.csv", "B.idf", "notes.txt~", "-x.csv"}},
            {"run\\", {"x.csv", "x.csv.bak"}},
            {"D:\\lab/", {"cell_A.idf", "cell_B.csv", "cell_BB.csv"}},
        });
        const WildcardExpansion result = ExpandWildcardsWith(test.args, folders.Lister());
        EXPECT_EQ(result.args, test.expanded) << test.what;
        EXPECT_EQ(result.unmatched, test.unmatched) << test.what;
    }
}

TEST(WildcardExpandTest, TheListerIsAskedForTheFolderAndPatternOnly)
{
    FakeFolders folders({});
    ExpandWildcardsWith({"plain.idf", "run\\*.idf", "C:?.csv"}, folders.Lister());
    EXPECT_EQ(folders.m_asked, (Args{"run\\|*.idf", "C:|?.csv"}));
}

#ifdef _WIN32

class WindowsWildcardTest : public testutil::TempDirTest {
protected:
    void Make(const std::string& name, const std::string& bytes = "") const
    {
        testutil::WriteFileBytes(Dir() / name, bytes);
    }
};

TEST_F(WindowsWildcardTest, TheSystemListingFindsPlainFilesOnly)
{
    Make("b.idf");
    Make("A.idf");
    Make("my data.idf");
    Make("c.csv");
    Make("a.idfx");
    fs::create_directory(Dir() / "folder.idf");
    fs::create_directory(Dir() / "sub");
    testutil::WriteFileBytes(Dir() / "sub" / "s.idf", "");

    const WildcardExpansion result = ExpandCommandLineWildcards({"*.idf", "sub\\*.idf", "*.txt", "c.csv"});
    EXPECT_EQ(result.args, (Args{"A.idf", "b.idf", "my data.idf", "sub\\s.idf", "c.csv"}));
    EXPECT_EQ(result.unmatched, Args{"*.txt"});
}

#ifdef QUILLMERE_CONVERT_EXE

const std::string IV_INPUT = "primary_data\r\n3\r\n1\r\n1 2 3\r\n";
const std::string IV_OUTPUT = "1.000000,-2000.000000,3.000000\r\n";

TEST_F(WindowsWildcardTest, TheProgramConvertsWhatAPatternMatches)
{
    Make("cell_A_07.idf", IV_INPUT);
    Make("cell B 08.idf", IV_INPUT);
    Make("notes.txt", "x");
    const testutil::ProcessResult run = testutil::RunProcess(QUILLMERE_CONVERT_EXE, {"*.idf"}, Dir());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "Finished Processing file: " + PathOf("cell B 08.idf") +
                           "\r\nFinished Processing file: " + PathOf("cell_A_07.idf") + "\r\n");
    EXPECT_EQ(testutil::ReadFileBytes(Dir() / "cell_A_07+IV.txt"), IV_OUTPUT);
    EXPECT_EQ(testutil::ReadFileBytes(Dir() / "cell B 08+IV.txt"), IV_OUTPUT);
}

TEST_F(WindowsWildcardTest, QuotedNamesWithSpacesStillWork)
{
    Make("cell B 08.idf", IV_INPUT);
    const testutil::ProcessResult run = testutil::RunProcess(QUILLMERE_CONVERT_EXE, {"cell B 08.idf"}, Dir());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(testutil::ReadFileBytes(Dir() / "cell B 08+IV.txt"), IV_OUTPUT);
}

TEST_F(WindowsWildcardTest, APatternMatchingNothingStopsBeforeAnyFileIsTouched)
{
    Make("cell_A_07.idf", IV_INPUT);
    const testutil::ProcessResult run =
        testutil::RunProcess(QUILLMERE_CONVERT_EXE, {"cell_A_07.idf", "*.csv"}, Dir());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "quillmere-convert: no file matches *.csv\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(Dir() / "123.xqrtmp"));
    EXPECT_FALSE(fs::exists(Dir() / "cell_A_07+IV.txt"));
}

#endif  // QUILLMERE_CONVERT_EXE

#else

TEST(WildcardExpandTest, OnPosixTheShellHasExpandedAlready)
{
    const Args args{"*.idf", "--area", "2*", "cell_?.csv"};
    const WildcardExpansion result = ExpandCommandLineWildcards(args);
    EXPECT_EQ(result.args, args);
    EXPECT_TRUE(result.unmatched.empty());
}

#endif  // _WIN32

}  // namespace
