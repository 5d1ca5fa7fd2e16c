// What the batch makes sure of before it converts anything: the range of a
// usable area, and outputs compared by the files they name, however their
// paths are spelled.
#include "batch/batch_checks.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/path.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::TempDirTest;
using testutil::WriteFileBytes;

struct AreaCase {
    const char* what;
    float area;
    bool usable;
};

TEST(UsableAreaTest, OnlyNormalNumbersAboveZero)
{
    const AreaCase cases[] = {
        {"one", 1.0f, true},
        {"the smallest normal number", FLT_MIN, true},
        {"the largest number", FLT_MAX, true},
        {"below the normal numbers", FLT_MIN / 2, false},
        {"the smallest number of all", std::nextafter(0.0f, 1.0f), false},
        {"zero", 0.0f, false},
        {"negative", -0.196f, false},
        {"negative and normal", -FLT_MIN, false},
        {"infinite", HUGE_VALF, false},
        {"not a number", NAN, false},
    };
    for (const AreaCase& c : cases) {
        EXPECT_EQ(IsUsableArea(c.area), c.usable) << c.what;
    }
}

struct CollisionCase {
    const char* what;
    // Inputs and the outputs this run gives them, below the test folder.
    std::vector<std::pair<std::string, std::string>> jobs;
    // Colliding pairs by index: first claimant, later input.
    std::vector<std::pair<int, int>> pairs;
    bool needsLinks;
};

class CollisionTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        for (const char* name : {"run/a.idf", "run/a.csv", "run/sub/b.idf", "other/a.idf"}) {
            WriteFileBytes(Dir() / name, "data");
        }
        WriteFileBytes(Dir() / "run" / "x+IV.txt", "earlier output");
        try {
            fs::create_directory_symlink(Dir() / "run", Dir() / "link");
            fs::create_hard_link(Dir() / "run" / "x+IV.txt", Dir() / "run" / "y+IV.txt");
            m_links = true;
        } catch (const fs::filesystem_error&) {
            m_links = false;
        }
    }
    std::string At(const std::string& rest) const { return Dir().string() + PATH_SEPARATOR + rest; }
    bool m_links = false;
};

TEST_F(CollisionTest, OutputsAreComparedByTheFilesTheyName)
{
    const CollisionCase cases[] = {
        {"a sweep and an export, one through a dot part",
         {{"run/a.idf", "run/a+IV.txt"}, {"run/./a.csv", "run/./a+IV.txt"}},
         {{0, 1}},
         false},
        {"a repeated separator and a dot-dot part",
         {{"run/a.idf", "run//a+IV.txt"}, {"run/sub/../a.csv", "run/sub/../a+IV.txt"}},
         {{0, 1}},
         false},
        {"one input spelled two ways is no collision",
         {{"run/a.idf", "run/a+IV.txt"}, {"run/sub/../a.idf", "run/sub/../a+IV.txt"}},
         {},
         false},
        {"one name in two folders",
         {{"run/a.idf", "run/a+IV.txt"}, {"other/a.idf", "other/a+IV.txt"}},
         {},
         false},
        {"two folders, one chosen output folder",
         {{"run/a.idf", "out/a+IV.txt"}, {"other/a.idf", "out/a+IV.txt"}},
         {{0, 1}},
         false},
        {"each later input is paired with the first",
         {{"run/a.idf", "run/a+IV.txt"}, {"run/a.csv", "run/./a+IV.txt"}, {"other/a.idf", "run/a+IV.txt"}},
         {{0, 1}, {0, 2}},
         false},
        // Windows gives a folder no identity: two folders are not one file for that.
        {"two different folders under the output names",
         {{"run/a.idf", "run/sub"}, {"other/a.idf", "other"}},
         {},
         false},
        {"a folder through a link",
         {{"run/a.idf", "run/a+IV.txt"}, {"link/a.csv", "link/a+IV.txt"}},
         {{0, 1}},
         true},
        {"one input through a link is no collision",
         {{"run/a.idf", "run/a+IV.txt"}, {"link/a.idf", "link/a+IV.txt"}},
         {},
         true},
        {"two names of one existing output",
         {{"run/a.idf", "run/x+IV.txt"}, {"run/sub/b.idf", "run/y+IV.txt"}},
         {{0, 1}},
         true},
    };
    for (const CollisionCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsLinks && !m_links) {
            continue;
        }
        std::vector<CString> inputs;
        std::vector<CString> outputs;
        for (const auto& [input, output] : c.jobs) {
            inputs.push_back(At(input));
            outputs.push_back(At(output));
        }
        const std::vector<OutputCollision> found = FindOutputCollisions(inputs, outputs);
        ASSERT_EQ(found.size(), c.pairs.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].firstInput, inputs[c.pairs[i].first]);
            EXPECT_EQ(found[i].secondInput, inputs[c.pairs[i].second]);
            EXPECT_EQ(found[i].output, outputs[c.pairs[i].second]);
        }
    }
    if (!m_links) {
        GTEST_SKIP() << "this system makes no links here; the cases with links were left out";
    }
}

}  // namespace
