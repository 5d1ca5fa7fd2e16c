// Dropped paths becoming job paths: which names count as data files, what a
// dropped folder stands for, the order of the result, and the message about
// folders that gave nothing.
#include "batch/dropped_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/messages.h"
#include "platform/os_error.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::TempDirTest;
using testutil::WriteFileBytes;

struct NameCase {
    const char* name;
    bool isData;
};

TEST(DataFileNameTest, MarkersCountAsTheConversionEntryFindsThem)
{
    const NameCase cases[] =
        {
            {"cell_A_07.idf", true},
            {"scan.csv", true},
            {"a.b.idf", true},
            {"run.idf.bak", true},  // anywhere in the name, not only at its end
            {"x.csvz", true},
            {"old.csv.txt", true},
            {".idf", false},  // at index 0 the marker does not count
            {".csv", false},
            {".idf.csv", true},   // the second marker lies past index 0
            {"CELL.IDF", false},  // case-sensitive
            {"scan.Csv", false},
            {"notes.txt", false},
            {"idf", false},
            {"a_idf", false},
            {"", false},
        };
    for (const NameCase& c : cases) {
        EXPECT_EQ(IsDataFileName(c.name), c.isData) << c.name;
    }
}

class DroppedFilesTest : public TempDirTest {
protected:
    // Creates `names` (files, or folders when they end in '/') under `folder`.
    fs::path MakeFolder(const std::string& folder, const std::vector<std::string>& names) const
    {
        const fs::path dir = Dir() / folder;
        fs::create_directories(dir);
        for (const std::string& name : names) {
            if (!name.empty() && name.back() == '/') {
                fs::create_directories(dir / name);
            } else {
                WriteFileBytes(dir / name, "data");
            }
        }
        return dir;
    }

    static std::string In(const fs::path& dir, const std::string& name) { return (dir / name).string(); }
};

TEST_F(DroppedFilesTest, FolderGivesItsDataFilesSortedByName)
{
    const fs::path dir = MakeFolder("run", {"c_run.idf", "notes.txt", "a_scan.csv", "B_cell.idf"});
    const DroppedFiles result = ExpandDroppedPaths({dir.string()});
    const std::vector<std::string> expected = {In(dir, "B_cell.idf"), In(dir, "a_scan.csv"),
                                               In(dir, "c_run.idf")};
    EXPECT_EQ(result.jobPaths, expected);
    EXPECT_TRUE(result.skippedFolders.empty());
}

TEST_F(DroppedFilesTest, SubfoldersAreNotEntered)
{
    const fs::path dir = MakeFolder("run", {"top.csv", "deep.idf/", "sub/"});
    WriteFileBytes(dir / "sub" / "inner.idf", "data");
    WriteFileBytes(dir / "deep.idf" / "inner.csv", "data");
    EXPECT_EQ(ExpandDroppedPaths({dir.string()}).jobPaths, std::vector<std::string>{In(dir, "top.csv")});
}

TEST_F(DroppedFilesTest, FoldersWithoutDataFilesGiveNothingAndAreNamed)
{
    const fs::path empty = MakeFolder("empty", {});
    const fs::path other = MakeFolder("other", {"notes.txt", ".idf", "CELL.IDF", "sub.csv/"});
    const DroppedFiles result = ExpandDroppedPaths({empty.string(), other.string()});
    EXPECT_TRUE(result.jobPaths.empty());
    ASSERT_EQ(result.skippedFolders.size(), 2U);
    EXPECT_EQ(result.skippedFolders[0].folder, empty.string());
    EXPECT_EQ(result.skippedFolders[0].error, 0);
    EXPECT_EQ(result.skippedFolders[1].folder, other.string());
}

TEST_F(DroppedFilesTest, EachPathKeepsItsPlaceInTheDrop)
{
    const fs::path dir = MakeFolder("run", {"b.idf", "a.csv"});
    const fs::path empty = MakeFolder("empty", {});
    WriteFileBytes(Dir() / "z_single.idf", "data");
    WriteFileBytes(Dir() / "readme.txt", "text");
    const std::string missing = (Dir() / "gone.csv").string();
    const DroppedFiles result =
        ExpandDroppedPaths({(Dir() / "z_single.idf").string(), dir.string(), empty.string(), missing,
                            (Dir() / "readme.txt").string()});
    // Single files stay as dropped, whatever their kind and whether they exist.
    const std::vector<std::string> expected = {(Dir() / "z_single.idf").string(), In(dir, "a.csv"),
                                               In(dir, "b.idf"), missing, (Dir() / "readme.txt").string()};
    EXPECT_EQ(result.jobPaths, expected);
    ASSERT_EQ(result.skippedFolders.size(), 1U);
    EXPECT_EQ(result.skippedFolders[0].folder, empty.string());
}

TEST_F(DroppedFilesTest, FolderPathEndingInASeparatorGetsNoSecondOne)
{
    const fs::path dir = MakeFolder("run", {"x.idf"});
    const std::string withSeparator = (dir / "").string();
    ASSERT_NE(withSeparator, dir.string());
    EXPECT_EQ(ExpandDroppedPaths({withSeparator}).jobPaths, std::vector<std::string>{In(dir, "x.idf")});
}

TEST_F(DroppedFilesTest, LinksCountAsWhatTheyName)
{
    const fs::path target = MakeFolder("elsewhere", {"linked.csv"});
    const fs::path dir = MakeFolder("run", {"own.idf"});
    try {
        fs::create_symlink(target / "linked.csv", dir / "link.csv");
        fs::create_directory_symlink(target, dir / "folder.idf");
    } catch (const fs::filesystem_error&) {
        GTEST_SKIP() << "this system makes no symbolic links here";
    }
    const std::vector<std::string> expected = {In(dir, "link.csv"), In(dir, "own.idf")};
    EXPECT_EQ(ExpandDroppedPaths({dir.string()}).jobPaths, expected);
}

TEST_F(DroppedFilesTest, UnreadableFolderIsNamedWithTheReason)
{
    const fs::path dir = MakeFolder("locked", {"x.idf"});
    fs::permissions(dir, fs::perms::none);
    const DroppedFiles result = ExpandDroppedPaths({dir.string()});
    fs::permissions(dir, fs::perms::owner_all);
    if (!result.jobPaths.empty()) {
        GTEST_SKIP() << "this user reads every folder";
    }
    ASSERT_EQ(result.skippedFolders.size(), 1U);
    EXPECT_NE(result.skippedFolders[0].error, 0);
    EXPECT_EQ(SkippedFoldersMessage(result.skippedFolders).str(),
              "Nothing was added from the folder " + dir.string() + ": " +
                  OsErrorReason(result.skippedFolders[0].error).str() + ".");
}

// Depth first: a folder's own data files, sorted, before its subfolders,
// each in name order; folders of any name are entered.
TEST_F(DroppedFilesTest, RecursiveExpansionGoesDepthFirst)
{
    const fs::path dir = MakeFolder("run", {"b.idf", "a.csv", "notes.txt", "z_sub/", "A_sub/", "m.idf/"});
    MakeFolder("run/z_sub", {"y.idf", "x.csv", "deeper/"});
    MakeFolder("run/z_sub/deeper", {"d.idf"});
    MakeFolder("run/A_sub", {"q.idf"});
    MakeFolder("run/m.idf", {"inner.csv"});
    MakeFolder("run/empty/", {});
    const std::vector<std::string> expected = {
        In(dir, "a.csv"),
        In(dir, "b.idf"),
        In(dir / "A_sub", "q.idf"),
        In(dir / "m.idf", "inner.csv"),
        In(dir / "z_sub", "x.csv"),
        In(dir / "z_sub", "y.idf"),
        In(dir / "z_sub" / "deeper", "d.idf"),
    };
    const DroppedFiles result = ExpandDroppedPaths({dir.string()}, true);
    EXPECT_EQ(result.jobPaths, expected);
    EXPECT_TRUE(result.skippedFolders.empty()) << "an empty subfolder is not named";
    // The dialog's rule is the same without entering subfolders.
    EXPECT_EQ(ExpandDroppedPaths({dir.string()}, false).jobPaths,
              (std::vector<std::string>{In(dir, "a.csv"), In(dir, "b.idf")}));
}

TEST_F(DroppedFilesTest, RecursiveExpansionNamesAFolderOnlyWhenItsTreeGivesNothing)
{
    const fs::path bare = MakeFolder("bare", {"notes.txt", "sub/"});
    MakeFolder("bare/sub", {"more.txt"});
    const fs::path deep = MakeFolder("deep", {"sub/"});
    MakeFolder("deep/sub", {"only.idf"});
    const DroppedFiles result = ExpandDroppedPaths({bare.string(), deep.string()}, true);
    EXPECT_EQ(result.jobPaths, std::vector<std::string>{In(deep / "sub", "only.idf")});
    ASSERT_EQ(result.skippedFolders.size(), 1U);
    EXPECT_EQ(result.skippedFolders[0].folder, bare.string());
    EXPECT_EQ(result.skippedFolders[0].error, 0);
}

TEST_F(DroppedFilesTest, RecursiveExpansionDoesNotFollowLinksToFolders)
{
    const fs::path dir = MakeFolder("run", {"own.idf", "sub/"});
    MakeFolder("run/sub", {"inner.idf"});
    try {
        // A link back up would lead round for ever if it were entered.
        fs::create_directory_symlink(dir, dir / "sub" / "loop");
        fs::create_directory_symlink(dir / "sub", dir / "again");
    } catch (const fs::filesystem_error&) {
        GTEST_SKIP() << "this system makes no symbolic links here";
    }
    const std::vector<std::string> expected = {In(dir, "own.idf"), In(dir / "sub", "inner.idf")};
    EXPECT_EQ(ExpandDroppedPaths({dir.string()}, true).jobPaths, expected);
}

}  // namespace
