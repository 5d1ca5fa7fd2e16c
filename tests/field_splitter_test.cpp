#include "engine/field_splitter.h"

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int CAPACITY = 11;
const char* const UNTOUCHED = "untouched";

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> fields;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.name;
}

std::string Fields(const char* prefix, int from, int to, char delimiter)
{
    std::string line;
    for (int i = from; i <= to; ++i) {
        if (i > from) line += delimiter;
        line += prefix + std::to_string(i);
    }
    return line;
}

// Splits `line` into an array pre-filled with UNTOUCHED; returns the array.
std::vector<std::string> SplitIntoMarkedArray(const std::string& line, char delimiter, int capacity,
                                              int arraySize, int* result)
{
    std::vector<CString> fields(static_cast<size_t>(arraySize), CString(UNTOUCHED));
    CFieldSplitter splitter;
    *result = splitter.Split(CString(line), delimiter, fields.data(), capacity);
    std::vector<std::string> out;
    for (const CString& field : fields) out.push_back(field.str());
    return out;
}

class FieldTableTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(FieldTableTest, StoresTheFieldsAndLeavesTheRestAlone)
{
    const SplitCase& c = GetParam();
    int result = -1;
    const std::vector<std::string> got = SplitIntoMarkedArray(c.line, ',', CAPACITY, CAPACITY + 2, &result);
    ASSERT_EQ(result, static_cast<int>(c.fields.size()));
    for (size_t i = 0; i < got.size(); ++i) {
        const std::string expected = i < c.fields.size() ? c.fields[i] : UNTOUCHED;
        EXPECT_EQ(got[i], expected) << "element " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommaCapacity11, FieldTableTest,
    ::testing::Values(SplitCase{"ThreeFields", "1,2,3", {"1", "2", "3"}},
                      SplitCase{"TrailingDelimiterOpensNoField", "1,2,3,", {"1", "2", "3"}},
                      SplitCase{"EmptyFieldBeforeTrailingDelimiter", "1,2,,", {"1", "2", ""}},
                      SplitCase{"LeadingDelimiter", ",1", {"", "1"}},
                      SplitCase{"EmptyFieldInside", "1,,2", {"1", "", "2"}},
                      SplitCase{"DelimiterAlone", ",", {""}}, SplitCase{"TwoDelimiters", ",,", {"", ""}},
                      SplitCase{"NoDelimiterKeepsSpaces", "1 2 3", {"1 2 3"}},
                      SplitCase{"EmptyLineIsOneEmptyField", "", {""}},
                      SplitCase{"QuotesAndSpacesStay", " \"a\" , b ", {" \"a\" ", " b "}},
                      SplitCase{"FifteenFieldsKeepEleven",
                                Fields("f", 0, 14, ','),
                                {"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10"}},
                      SplitCase{"ExactlyElevenFields",
                                Fields("f", 0, 10, ','),
                                {"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10"}},
                      SplitCase{"ElevenFieldsAndTrailingDelimiter",
                                Fields("f", 0, 10, ',') + ",",
                                {"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(FieldSplitterTest, CapacityZeroOrNegativeAssignsNothing)
{
    for (int capacity : {0, -1, -100}) {
        int result = -1;
        const std::vector<std::string> got = SplitIntoMarkedArray("1,2,3", ',', capacity, 3, &result);
        EXPECT_EQ(result, 0) << capacity;
        for (const std::string& field : got) EXPECT_EQ(field, UNTOUCHED) << capacity;
    }
}

TEST(FieldSplitterTest, CallersLineIsUnchanged)
{
    const CString line("a,b,c");
    CString fields[CAPACITY];
    CFieldSplitter splitter;
    splitter.Split(line, ',', fields, CAPACITY);
    EXPECT_EQ(line, "a,b,c");
}

// A caller may hand one of the fields to fill as the line: it is cut as it
// stood before the call, wherever it sits in the array.
TEST(FieldSplitterTest, LineThatIsOneOfTheFieldsIsCutAsItWas)
{
    for (int slot : {0, 1, 2, CAPACITY - 1}) {
        SCOPED_TRACE(slot);
        CString fields[CAPACITY];
        fields[slot] = "first field,second,third field,";
        CFieldSplitter splitter;
        ASSERT_EQ(splitter.Split(fields[slot], ',', fields, CAPACITY), 3);
        EXPECT_EQ(fields[0], "first field");
        EXPECT_EQ(fields[1], "second");
        EXPECT_EQ(fields[2], "third field");
    }
    // Just past the fields that may be written: read as it is and kept.
    CString fields[CAPACITY + 1];
    fields[CAPACITY] = "p,q";
    CFieldSplitter splitter;
    EXPECT_EQ(splitter.Split(fields[CAPACITY], ',', fields, CAPACITY), 2);
    EXPECT_EQ(fields[0], "p");
    EXPECT_EQ(fields[1], "q");
    EXPECT_EQ(fields[CAPACITY], "p,q");
}

TEST(FieldSplitterTest, OneSplitterServesManyLinesAndKeepsNothing)
{
    CFieldSplitter splitter;
    CString fields[CAPACITY];
    EXPECT_EQ(splitter.Split("a,b,c,d", ',', fields, CAPACITY), 4);
    for (CString& field : fields) field.Empty();
    EXPECT_EQ(splitter.Split("x", ',', fields, CAPACITY), 1);
    EXPECT_EQ(fields[0], "x");
    EXPECT_EQ(fields[1], "");
}

TEST(FieldSplitterTest, DelimiterIsComparedByteForByte)
{
    CFieldSplitter splitter;
    CString fields[4];
    EXPECT_EQ(splitter.Split("a\xB5"
                             "b\xB5",
                             '\xB5', fields, 4),
              2);
    EXPECT_EQ(fields[0], "a");
    EXPECT_EQ(fields[1], "b");
    EXPECT_EQ(splitter.Split("1;2,3", ';', fields, 4), 2);
    EXPECT_EQ(fields[1], "2,3");
}

// The splitting rule written out with a full table of positions, as the
// reference for lines longer and capacities larger than the converter uses.
std::vector<std::string> ReferenceSplit(const std::string& line, char delimiter, int capacity)
{
    std::vector<int> positions;
    for (int i = 0; i < static_cast<int>(line.size()); ++i) {
        if (line[static_cast<size_t>(i)] == delimiter) positions.push_back(i);
    }
    if (line.empty() || line.back() != delimiter) positions.push_back(static_cast<int>(line.size()));
    std::vector<std::string> fields;
    for (int i = 0; i < static_cast<int>(positions.size()) && i < capacity; ++i) {
        const int start = i == 0 ? 0 : positions[static_cast<size_t>(i) - 1] + 1;
        fields.push_back(line.substr(static_cast<size_t>(start),
                                     static_cast<size_t>(positions[static_cast<size_t>(i)] - start)));
    }
    return fields;
}

TEST(FieldSplitterTest, LongLinesMatchTheFullTableForCapacitiesUpTo2560)
{
    // 3000 fields of varying width, some empty, then lines ending in the delimiter.
    std::string line;
    for (int i = 0; i < 3000; ++i) {
        if (i > 0) line += ',';
        if (i % 7 != 3) line += std::to_string(i * 31);
    }
    const std::string lines[] = {line, line + ",", std::string(5000, ','), std::string(100000, 'x')};
    CFieldSplitter splitter;
    for (const std::string& text : lines) {
        for (int capacity : {1, 2, 11, 100, 2559, 2560}) {
            std::vector<CString> fields(static_cast<size_t>(capacity));
            const int result = splitter.Split(CString(text), ',', fields.data(), capacity);
            const std::vector<std::string> expected = ReferenceSplit(text, ',', capacity);
            ASSERT_EQ(result, static_cast<int>(expected.size())) << "capacity " << capacity;
            for (size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(fields[i].str(), expected[i]) << "capacity " << capacity << " field " << i;
        }
    }
}

// Short lines of bytes near the delimiter's value (one bit off, the high
// bit flipped, zero bytes), with delimiters at every position of an
// eight-byte word: the splitter looks at several bytes at a time.
TEST(FieldSplitterTest, GeneratedLinesMatchTheFullTable)
{
    std::mt19937 random(3);
    CFieldSplitter splitter;
    for (const char delimiter : {',', '\xB5', '\x80', '\x7F'}) {
        const char alphabet[] = {delimiter,
                                 delimiter,
                                 static_cast<char>(delimiter ^ 0x80),
                                 static_cast<char>(delimiter ^ 0x01),
                                 static_cast<char>(delimiter + 1),
                                 '\0',
                                 '\xFF',
                                 'x'};
        for (int round = 0; round < 3000; ++round) {
            std::string line(random() % 40, 'x');
            for (char& c : line) c = alphabet[random() % sizeof alphabet];
            const int capacity = static_cast<int>(random() % 16);
            std::vector<CString> fields(16, CString(UNTOUCHED));
            const int result = splitter.Split(CString(line), delimiter, fields.data(), capacity);
            const std::vector<std::string> expected = ReferenceSplit(line, delimiter, capacity);
            ASSERT_EQ(result, static_cast<int>(expected.size())) << "round " << round;
            for (size_t i = 0; i < fields.size(); ++i) {
                ASSERT_EQ(fields[i].str(), i < expected.size() ? expected[i] : UNTOUCHED)
                    << "round " << round << " field " << i;
            }
        }
    }
}

}  // namespace
