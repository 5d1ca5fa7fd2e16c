// The batch state: start values and the Clear operation.
#include "batch/job_table.h"
#include "engine/settings.h"

#include <gtest/gtest.h>

#include "support/test_util.h"

namespace {

// The settings as they stand before main runs: the scalars are constant-
// initialised, so this dynamic initialiser sees their start values whatever
// the order of the translation units.
struct StartValues {
    int jobCount = g_jobCount;
    float surfaceArea = g_surfaceArea;
    int areaEnabled = g_areaEnabled;
};
const StartValues START;

TEST(JobTableTest, StartsEmptyWithAreaOneNotApplied)
{
    EXPECT_EQ(START.jobCount, 0);
    EXPECT_EQ(START.surfaceArea, 1.0f);
    EXPECT_EQ(START.areaEnabled, 0);
}

TEST(JobTableTest, ClearResetsTheCountOnlyAndKeepsSlotsAndSettings)
{
    const int savedCount = g_jobCount;
    const PathEntry savedSource = g_sourceEntries[1];
    testutil::ScopedAreaSettings area(0.25f, 1);
    g_sourceEntries[1].fullPath = "D:\\run\\cell_A_07.idf";
    g_jobCount = 2;

    ClearJobs();

    EXPECT_EQ(g_jobCount, 0);
    EXPECT_EQ(g_sourceEntries[1].fullPath, "D:\\run\\cell_A_07.idf") << "slots keep their strings";
    EXPECT_EQ(g_surfaceArea, 0.25f);
    EXPECT_EQ(g_areaEnabled, 1);

    ClearJobs();
    EXPECT_EQ(g_jobCount, 0) << "clearing an empty table keeps it empty";
    g_sourceEntries[1] = savedSource;
    g_jobCount = savedCount;
}

}  // namespace
