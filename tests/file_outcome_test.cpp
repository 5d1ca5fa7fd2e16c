// What the converters' findings make of a file's outcome: the result, the
// kind, the counts and the plain words the user is shown.
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "engine/convert_file.h"
#include "support/test_util.h"

namespace {

using testutil::ScopedAreaSettings;
using testutil::WriteFileBytes;

struct OutcomeCase {
    const char* name;
    const char* input;    // the input's name: its marker picks the converter
    std::string content;  // the input's bytes
    FileResult result;
    const char* kind;
    long long rows;
    std::string message;
    float area = 1.0f;
};

void PrintTo(const OutcomeCase& c, std::ostream* out)
{
    *out << c.name;
}

class FileOutcomeTest : public testutil::TempDirTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(FileOutcomeTest, SaysWhatBecameOfTheFile)
{
    const OutcomeCase& c = GetParam();
    ScopedAreaSettings area(c.area, 1);
    WriteFileBytes(c.input, c.content);
    FileOutcome outcome;
    ConvertFile(PathOf(c.input).c_str(), PathOf("out.txt").c_str(), outcome);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.kind.str(), c.kind);
    EXPECT_EQ(outcome.rows, c.rows);
    EXPECT_EQ(outcome.message.str(), c.message);
}

const std::string STOPPED_SWEEP =
    "hdr\r\nprimary_data\r\n3\r\n6\r\n1.0 2.0e-3 0.0\r\n2.0 3.0e-3 1.0\r\n3.0 4.0e-3 2.0\r\n"
    "[Stop]\r\nendtime=03/11/2025 09:14:12\r\nstatus=aborted\r\n";

INSTANTIATE_TEST_SUITE_P(
    TextLines, FileOutcomeTest,
    ::testing::Values(OutcomeCase{"StoppedSweepIsShort", "stopped.idf", STOPPED_SWEEP, FileResult::shortSweep,
                                  IV_KIND, 3,
                                  "only 3 of the 6 announced points are in the file; 3 lines within the "
                                  "count held no numbers"},
                      OutcomeCase{"OneTextLineIsNamedInTheSingular", "one.idf",
                                  "primary_data\r\nx\r\n2\r\n1 2 3\r\n[Stop]\r\n", FileResult::shortSweep,
                                  IV_KIND, 1,
                                  "only 1 of the 2 announced points are in the file; 1 line within the count "
                                  "held no numbers"}),
    [](const ::testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; });

}  // namespace
