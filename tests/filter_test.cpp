// The control-byte filter: every rule of the work file it writes.
#include "engine/filter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/file_exception.h"
#include "support/test_util.h"

namespace {

using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

class FilterTest : public testutil::TempDirTest {
protected:
    // Filters `input` and returns the work file's bytes.
    std::string Filter(const std::string& input)
    {
        WriteFileBytes("input.bin", input);
        EXPECT_TRUE(FilterControlBytes("input.bin", "123.xqrtmp"));
        return ReadFileBytes("123.xqrtmp");
    }
};

struct FilterCase {
    const char* name;
    std::string input;
    std::string work;
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string text;
    for (int value : values) {
        text += static_cast<char>(value);
    }
    return text;
}

TEST_F(FilterTest, KeepsPrintableRunsOnePerLine)
{
    const FilterCase cases[] = {
        {"empty input", "", ""},
        {"only separators", Bytes({0, 1, 9, 10, 13, 0x1A, 0x7F, 0x80, 0xFF}), ""},
        {"leading separators vanish", "\r\nabc", "abc"},
        {"no final line break without a separator", "abc", "abc"},
        {"CR LF lines pass unchanged", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"LF lines get CR LF", "a\nb\n", "a\r\nb\r\n"},
        {"CR lines get CR LF", "a\rb\r", "a\r\nb\r\n"},
        {"empty lines vanish", "a\r\n\r\n\r\nb", "a\r\nb"},
        {"space is kept", "1.5 2.5", "1.5 2.5"},
        {"a line of spaces stays a line", "a\r\n   \r\nb", "a\r\n   \r\nb"},
        {"tilde kept, DEL separates", "~" + Bytes({0x7F}) + "~", "~\r\n~"},
        {"8-bit micro sign splits", "I/" + Bytes({0xB5}) + "A", "I/\r\nA"},
        {"UTF-8 micro sign splits once", "I/" + Bytes({0xC2, 0xB5}) + "A", "I/\r\nA"},
        {"UTF-8 byte-order mark vanishes", Bytes({0xEF, 0xBB, 0xBF}) + "abc", "abc"},
        {"double-byte character keeps its ASCII second byte", "x" + Bytes({0x82, 0x41}), "x\r\nA"},
        {"UTF-16 puts each character on a line", Bytes({'a', 0, 'b', 0}), "a\r\nb\r\n"},
        {"0x1A after the text gives one final line break", "end" + Bytes({0x1A}), "end\r\n"},
        {"lone CR NUL line breaks", "primary_data" + Bytes({13, 0}) + "1", "primary_data\r\n1"},
    };
    for (const FilterCase& c : cases) {
        EXPECT_EQ(Filter(c.input), c.work) << c.name;
    }
}

// Tabs inside a line separate columns in current instrument files, so a run
// of tabs between two printable bytes is one space; every other tab is a
// separator like any control byte.
TEST_F(FilterTest, TabsInsideALineBecomeOneSpace)
{
    const FilterCase cases[] = {
        {"one tab between values", "1.5\t2.5", "1.5 2.5"},
        {"a run of tabs between values", "1.5\t\t2.5", "1.5 2.5"},
        {"tabs at both ends of the text", "\t1.5\t", "1.5\r\n"},
        {"tab before a line end", "a\t\r\nb", "a\r\nb"},
        {"tab after a line end", "a\r\n\tb", "a\r\nb"},
        {"a line of tabs alone vanishes", "a\r\n\t\t\r\nb", "a\r\nb"},
        {"tab next to another separator", "a\t" + Bytes({0}) + "b", "a\r\nb"},
        {"real data row", "1.09009E+02  -2.65557E+01\t1.00000E+04\r\n",
         "1.09009E+02  -2.65557E+01 1.00000E+04\r\n"},
    };
    for (const FilterCase& c : cases) {
        EXPECT_EQ(Filter(c.input), c.work) << c.name;
    }
}

TEST_F(FilterTest, WorkFileNeverStartsWithOrRepeatsALineBreak)
{
    std::string input;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        input += static_cast<char>((state >> 16) & 0xFF);
    }
    std::string work = Filter(input);
    ASSERT_FALSE(work.empty());
    EXPECT_NE(work.substr(0, 2), "\r\n");
    EXPECT_EQ(work.find("\r\n\r\n"), std::string::npos);
    for (std::size_t i = 0; i < work.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(work[i]);
        if (byte == '\r') {
            ASSERT_LT(i + 1, work.size());
            EXPECT_EQ(work[i + 1], '\n');
        } else if (byte == '\n') {
            EXPECT_EQ(work[i - 1], '\r');
        } else {
            EXPECT_TRUE(byte >= 0x20 && byte <= 0x7E) << i;
        }
    }
}

// The rule, one byte at a time, as the reference for the filter's run-wise copy.
std::string FilterOneByteAtATime(const std::string& input)
{
    std::string work;
    bool anyText = false;
    char pending = 0;  // 0, ' ' or '\n'
    for (char c : input) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7E) {
            if (pending == ' ') work += ' ';
            if (pending == '\n') work += "\r\n";
            work += c;
            pending = 0;
            anyText = true;
        } else if (anyText) {
            pending = byte == '\t' && pending != '\n' ? ' ' : '\n';
        }
    }
    if (pending != 0) work += "\r\n";
    return work;
}

// Runs of every length, at every offset and across the filter's 64 KiB
// chunks, with tabs, line ends and bytes on both sides of the kept range.
TEST_F(FilterTest, MatchesTheByteByByteRuleOnGeneratedInputs)
{
    std::mt19937 random(7);
    const unsigned char EDGES[] = {0x00, 0x09, 0x0A, 0x0D, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF};
    for (int round = 0; round < 120; ++round) {
        const std::size_t size = round % 20 == 0 ? 150000 + random() % 100000 : random() % 400;
        const unsigned textShare = random() % 101;  // percent of printable bytes
        std::string input;
        while (input.size() < size) {
            if (random() % 100 < textShare) {
                input += std::string(random() % 40, static_cast<char>(0x20 + random() % 95));
            } else {
                input += static_cast<char>(random() % 3 == 0 ? random() % 256 : EDGES[random() % 10]);
            }
        }
        ASSERT_EQ(Filter(input), FilterOneByteAtATime(input)) << "round " << round;
    }
}

TEST_F(FilterTest, LeftoverWorkFileIsEmptiedFirst)
{
    WriteFileBytes("123.xqrtmp", std::string(1000, 'Q'));
    EXPECT_EQ(Filter("new"), "new");
}

TEST_F(FilterTest, MissingInputRaisesWithPathAndReason)
{
    testutil::ExpectFileError(
        [] { FilterControlBytes("absent.idf", "123.xqrtmp"); },
        {.path = "absent.idf", .message = "cannot open absent.idf: No such file or directory"});
}

TEST_F(FilterTest, UncreatableWorkFileRaisesWithItsPath)
{
    WriteFileBytes("input.bin", "abc");
    testutil::ExpectFileError(
        [] { FilterControlBytes("input.bin", "no/such/folder/123.xqrtmp"); },
        {.cause = testutil::CAUSE_FOLDER_NOT_FOUND, .path = "no/such/folder/123.xqrtmp"});
}

TEST_F(FilterTest, FullDiskStopsTheCopyWithDiskFull)
{
    SKIP_WITHOUT_FULL_DEVICE();
    WriteFileBytes("input.bin", std::string(300000, 'x'));
    testutil::ExpectFileError([] { FilterControlBytes("input.bin", "/dev/full"); }, {.path = "/dev/full"});
}

TEST_F(FilterTest, RealInstrumentFilesGiveOnlyPrintableLines)
{
    SKIP_WITHOUT_REAL_SAMPLES();
    for (const char* name :
         {"eis_idf_1.idf", "eis_idf_2.idf", "iv_cv_dataset_1.ids", "iv_transient_short.idf"}) {
        std::string input = ReadFileBytes(testutil::RealSamplesDir() / name);
        std::string work = Filter(input);
        EXPECT_FALSE(work.empty()) << name;
        EXPECT_EQ(work.find("\r\n\r\n"), std::string::npos) << name;
        EXPECT_EQ(work.find('\t'), std::string::npos) << name;
        EXPECT_NE(work.find("\r\nprimary_data"), std::string::npos) << name;
    }
    // UTF-16 text: every character lands on a line of its own.
    std::string work = Filter(ReadFileBytes(testutil::RealSamplesDir() / "eis_csv_1.csv"));
    EXPECT_EQ(work.substr(0, 12), "F\r\ni\r\nl\r\ne\r\n");
}

}  // namespace
