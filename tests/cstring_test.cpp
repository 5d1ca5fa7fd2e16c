// The string class: the operations the converters and batch code rely on.
#include "platform/cstring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CStringTest, CopiesAreIndependent)
{
    CString original("cell_A_07");
    CString copy = original;
    copy += "+IV";
    EXPECT_EQ(original, "cell_A_07");
    EXPECT_EQ(copy, "cell_A_07+IV");
}

TEST(CStringTest, FormatReplacesContentAndHandlesLongText)
{
    CString text("old");
    text.Format("Area=%f", 1.0);
    EXPECT_EQ(text, "Area=1.000000");
    std::string longPart(5000, 'x');
    text.Format("%s+%d", longPart.c_str(), 7);
    EXPECT_EQ(text.str(), longPart + "+7");
}

struct FindCase {
    const char* text;
    const char* sub;
    int expected;
};

TEST(CStringTest, FindGivesFirstZeroBasedIndexOrMinusOne)
{
    const FindCase cases[] = {
        {"D:\\run\\cell.idf", ".idf", 11},
        {".idf", ".idf", 0},
        {"CELL.IDF", ".idf", -1},
        {"a.idf.idf", ".idf", 1},
        {"", ".idf", -1},
        {"xprimary_datax", "primary_data", 1},
        {"abc", "", 0},
        {"EISEIS", "EIS", 0},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(CString(c.text).Find(c.sub), c.expected) << c.text << " / " << c.sub;
    }
}

TEST(CStringTest, ReverseFindGivesLastIndexOfCharacter)
{
    EXPECT_EQ(CString("cell_A_07+IV").ReverseFind('_'), 6);
    EXPECT_EQ(CString("_x").ReverseFind('_'), 0);
    EXPECT_EQ(CString("plain").ReverseFind('_'), -1);
}

TEST(CStringTest, DeleteLeftAndMidCutWithinTheText)
{
    CString name("cell_A_07+IV");
    EXPECT_EQ(name.Delete(0, 7), 5);
    EXPECT_EQ(name, "07+IV");
    EXPECT_EQ(CString("abcdef").Left(3), "abc");
    EXPECT_EQ(CString("abcdef").Left(0), "");
    EXPECT_EQ(CString("abcdef").Mid(2, 3), "cde");
    EXPECT_EQ(CString("abcdef").Mid(2, 0), "");
    EXPECT_EQ(CString("abcdef").Mid(4), "ef");
    EXPECT_EQ(CString("abc").Mid(1, 99), "bc");
}

TEST(CStringTest, LoadStringReadsTheProgramStringTable)
{
    static const StringResource table[] = {{101, "&About Quillmere..."}, {102, ""}, {0, nullptr}};
    SetStringTable(table);
    CString text("stale");
    EXPECT_TRUE(text.LoadString(101));
    EXPECT_EQ(text, "&About Quillmere...");
    EXPECT_FALSE(text.LoadString(102));
    EXPECT_TRUE(text.IsEmpty());
    text = "stale";
    EXPECT_FALSE(text.LoadString(999));
    EXPECT_TRUE(text.IsEmpty());
    SetStringTable(nullptr);
}

TEST(CStringTest, BufferAccessKeepsContentAndTakesLengthFromTerminator)
{
    CString text("abc");
    char* buffer = text.GetBuffer(10);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    buffer[3] = 'd';
    buffer[4] = '\0';
    text.ReleaseBuffer(-1);
    EXPECT_EQ(text, "abcd");
    text.ReleaseBuffer(2);
    EXPECT_EQ(text, "ab");
}

TEST(CStringTest, SetStringTakesExactlyTheGivenCharacters)
{
    CString field("a long previous content that is replaced");
    const char row[] = "1258.875,96.984375";
    field.SetString(row + 9, 9);
    EXPECT_EQ(field, "96.984375");
    field.SetString(row, 0);
    EXPECT_TRUE(field.IsEmpty());
    field.SetString("a\0b", 3);  // a zero byte is a character like any other
    EXPECT_EQ(field.GetLength(), 3);
}

TEST(CStringTest, SetStringFromAPartOfItself)
{
    CString text("frequency,real");
    text.SetString(text.c_str() + 10, 4);
    EXPECT_EQ(text, "real");
    text.SetString(text.c_str(), text.GetLength());
    EXPECT_EQ(text, "real");
}

TEST(CStringTest, ConcatenationWithTextOnEitherSide)
{
    CString dir("D:\\run\\");
    EXPECT_EQ(dir + "x" + CString(".txt"), "D:\\run\\x.txt");
    EXPECT_EQ("<" + dir, "<D:\\run\\");
}

}  // namespace
