// Every saved fuzz input (interesting inputs and crash reproducers) goes
// through its target's entry again, so a fault the fuzzers once found stays
// found, in the plain build and under the sanitizers alike.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;

struct ReplayTarget {
    const char* name;  // also the folder of its saved inputs
    FuzzEntry entry;
};

const ReplayTarget TARGETS[] = {
    {"filter", FuzzFilter},
    {"splitter", FuzzSplitter},
    {"iv_converter", FuzzIvConverter},
    {"eis_converter", FuzzEisConverter},
    {"numbers", FuzzNumbers},
    {"convert_file", FuzzConvertFile},
};

// A broken check of a fuzz target, raised so the test can name the input.
class CFuzzCheckFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void ThrowFailure(const std::string& what)
{
    throw CFuzzCheckFailure(what);
}

// The failure handler of the fuzz targets, throwing while the object lives.
class ScopedThrowingChecks {
public:
    ScopedThrowingChecks() { fuzzsupport::SetFailureHandler(ThrowFailure); }
    ~ScopedThrowingChecks() { fuzzsupport::SetFailureHandler(nullptr); }
    ScopedThrowingChecks(const ScopedThrowingChecks&) = delete;
    ScopedThrowingChecks& operator=(const ScopedThrowingChecks&) = delete;
};

std::vector<fs::path> SavedInputs(const fs::path& dir)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

class FuzzReplayTest : public ::testing::TestWithParam<ReplayTarget> {};

TEST_P(FuzzReplayTest, EverySavedInputPassesItsChecks)
{
    const fs::path dir = fs::path(QUILLMERE_SOURCE_DIR) / "fuzz" / "corpus" / GetParam().name;
    ASSERT_TRUE(testutil::Exists(dir)) << dir;
    const std::vector<fs::path> files = SavedInputs(dir);
    ASSERT_FALSE(files.empty()) << "no saved inputs in " << dir;
    ScopedThrowingChecks checks;
    for (const fs::path& file : files) {
        const std::string bytes = testutil::ReadFileBytes(file);
        try {
            GetParam().entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } catch (const CFuzzCheckFailure& failure) {
            ADD_FAILURE() << file.filename() << ": " << failure.what();
        } catch (const std::exception& error) {
            ADD_FAILURE() << file.filename() << ": uncaught exception: " << error.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(TARGETS),
                         [](const ::testing::TestParamInfo<ReplayTarget>& info) { return info.param.name; });

}  // namespace

#else

TEST(FuzzReplayTest, NeedsAPosixSystem)
{
    GTEST_SKIP() << "the fuzz targets work in a POSIX temporary folder";
}

#endif
