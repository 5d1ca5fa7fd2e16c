// Where paths lead: the place two spellings of one file share, found in
// real folders (links, dot parts, repeated separators, folders that do not
// exist), and the folder that holds a path.
#include "platform/path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::TempDirTest;

struct FolderCase {
    const char* path;
    const char* folder;
};

TEST(ContainingFolderTest, KeepsThePathUpToItsLastSeparator)
{
    const FolderCase cases[] = {
#ifdef _WIN32
        {"C:\\run\\a.idf", "C:\\run\\"},
        {"C:/run/a.idf", "C:/run/"},
        {"C:\\a.idf", "C:\\"},
        {"C:a.idf", "C:"},
        {"\\\\server\\share\\a.idf", "\\\\server\\share\\"},
#else
        {"/run/a.idf", "/run/"}, {"/a.idf", "/"}, {"/run/sub/", "/run/sub/"},
        {"run\\a.idf", "."},  // a backslash is part of a POSIX name
#endif
        {"a.idf", "."},
    };
    for (const FolderCase& c : cases) {
        EXPECT_EQ(ContainingFolder(c.path), c.folder) << c.path;
    }
}

struct PlaceCase {
    const char* what;
    const char* first;  // below the test folder
    const char* second;
    bool same;
    bool needsLinks;
};

// A folder "real" with a subfolder "sub", and "link" pointing at "real".
class PlaceKeyTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        fs::create_directories(Dir() / "real" / "sub");
        testutil::WriteFileBytes(Dir() / "real" / "a.idf", "data");
        try {
            fs::create_directory_symlink(Dir() / "real", Dir() / "link");
            m_links = true;
        } catch (const fs::filesystem_error&) {
            m_links = false;
        }
    }
    std::string At(const char* rest) const
    {
        std::string path = Dir().string();
        path += PATH_SEPARATOR;
        return path + rest;
    }
    bool m_links = false;
};

TEST_F(PlaceKeyTest, SpellingsOfOnePlaceShareItsKey)
{
    const PlaceCase cases[] = {
        {"the same text", "real/a.idf", "real/a.idf", true, false},
        {"a dot part", "real/./a.idf", "real/a.idf", true, false},
        {"a repeated separator", "real//a.idf", "real/a.idf", true, false},
        {"a dot-dot part", "real/sub/../a.idf", "real/a.idf", true, false},
        {"a name that does not exist yet", "real/./new+IV.txt", "real/new+IV.txt", true, false},
        {"a folder that does not exist", "real/gone/../a.idf", "real/a.idf", true, false},
        {"inside a folder that does not exist", "real/gone//x.idf", "real/gone/x.idf", true, false},
        {"a trailing separator names the folder", "real/", "real", true, false},
        {"a folder through a link", "link/a.idf", "real/a.idf", true, true},
        {"dot-dot after a link leaves the real folder", "link/sub/../a.idf", "real/a.idf", true, true},
        {"different names", "real/a.idf", "real/b.idf", false, false},
        {"one name in two folders", "real/a.idf", "real/sub/a.idf", false, false},
        // The last part is not followed: writing through it replaces the
        // link, not what it names, and identities tell the two apart.
        {"a link and its folder", "link", "real", false, true},
#ifdef _WIN32
        {"letters in another case", "REAL\\A.IDF", "real/a.idf", true, false},
        {"both separators", "real\\sub/..\\a.idf", "real/a.idf", true, false},
#else
        {"letters in another case", "REAL/A.IDF", "real/a.idf", false, false},
#endif
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsLinks && !m_links) {
            continue;
        }
        EXPECT_EQ(PlaceKey(At(c.first)) == PlaceKey(At(c.second)), c.same)
            << PlaceKey(At(c.first)) << " / " << PlaceKey(At(c.second));
    }
    if (!m_links) {
        GTEST_SKIP() << "this system makes no symbolic links here; the cases with links were left out";
    }
}

}  // namespace
