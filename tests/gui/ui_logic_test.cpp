// The window-free rules of the dialog program: placement arithmetic, the
// About command test, file-name completion, message texts and the console's
// text handling.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "batch/job_table.h"
#include "ui/file_selection.h"
#include "ui/layout.h"
#include "ui/resource.h"
#include "ui/stdout_tap.h"
#include "ui/system_menu.h"

namespace {

struct IconCase {
    const char* name;
    int clientW, clientH, iconW, iconH;
    PixelPoint expected;
};

class IconOriginTest : public ::testing::TestWithParam<IconCase> {};

TEST_P(IconOriginTest, CentresWithTheRoundingOfTheMinimisedIcon)
{
    const IconCase& c = GetParam();
    EXPECT_EQ(IconOrigin(c.clientW, c.clientH, c.iconW, c.iconH), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IconOriginTest,
                         ::testing::Values(IconCase{"EvenSlackSplitsEvenly", 36, 36, 32, 32, {2, 2}},
                                           IconCase{"OddSlackRoundsUp", 37, 38, 32, 32, {3, 3}},
                                           IconCase{"NoSlack", 32, 32, 32, 32, {0, 0}},
                                           IconCase{"AxesAreIndependent", 100, 40, 32, 32, {34, 4}},
                                           IconCase{
                                               "SmallerClientTruncatesTowardZero", 10, 20, 32, 32, {-10, -5}},
                                           IconCase{"OneShortTruncatesToZero", 31, 30, 32, 32, {0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PairPlacementTest, DialogAndConsoleAreCentredTogether)
{
    const PixelPoint at = DialogOriginForPair({0, 0, 1280, 800}, 600, 450, 500, 400, 20);
    EXPECT_EQ(at, (PixelPoint{80, 175}));
}

TEST(PairPlacementTest, PairWiderThanTheScreenStartsAtItsLeftEdge)
{
    const PixelPoint at = DialogOriginForPair({100, 50, 800, 600}, 600, 450, 500, 400, 20);
    EXPECT_EQ(at, (PixelPoint{100, 125}));
}

TEST(PairPlacementTest, ConsoleSitsRightOfTheDialogInLineWithItsTop)
{
    const PixelPoint at = ConsoleOriginBeside({80, 175, 600, 450}, {0, 0, 1280, 800}, 500, 400, 20);
    EXPECT_EQ(at, (PixelPoint{700, 175}));
}

TEST(PairPlacementTest, ConsoleMovesLeftAndUpToStayOnTheScreen)
{
    const PixelPoint at = ConsoleOriginBeside({600, 500, 600, 450}, {0, 0, 1280, 800}, 500, 400, 20);
    EXPECT_EQ(at, (PixelPoint{780, 400}));
}

TEST(AboutCommandTest, OnlyTheHighTwelveBitsAreCompared)
{
    for (int id = 0; id <= 0x40; ++id) {
        EXPECT_EQ(IsAboutCommand(id), id >= 0x0010 && id <= 0x001F) << "command " << id;
    }
    EXPECT_FALSE(IsAboutCommand(0xF060));  // SC_CLOSE
    EXPECT_TRUE(IsAboutCommand(0x0010));
}

TEST(AboutCommandTest, EntryTextComesFromTheStringTable)
{
    SetStringTable(UI_STRING_TABLE);
    EXPECT_EQ(AboutEntryText().str(), "&About Quillmere...");
    const StringResource empty[] = {{0, nullptr}};
    SetStringTable(empty);
    EXPECT_TRUE(AboutEntryText().IsEmpty());
    SetStringTable(UI_STRING_TABLE);
}

struct CompletionCase {
    const char* name;
    const char* path;
    bool exists;
    const char* expected;
};

class DefaultExtensionTest : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(DefaultExtensionTest, TypedNameWithoutExtensionGetsTxt)
{
    const CompletionCase& c = GetParam();
    EXPECT_EQ(WithDefaultExtension(c.path, DEFAULT_EXTENSION, c.exists), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultExtensionTest,
    ::testing::Values(CompletionCase{"MissingBareNameIsCompleted", "/run/notes", false, "/run/notes.txt"},
                      CompletionCase{"ExistingBareNameIsKept", "/run/notes", true, "/run/notes"},
                      CompletionCase{"NameWithExtensionIsKept", "/run/a.idf", false, "/run/a.idf"},
                      CompletionCase{"DotInFolderDoesNotCount", "/run.d/notes", false, "/run.d/notes.txt"},
                      CompletionCase{"SeveralDotsKeepTheLast", "/run/a.b.csv", false, "/run/a.b.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileDialogFilterTest, DataChoiceListsBothSpellingsUnderItsLabel)
{
    EXPECT_STREQ(FILE_DIALOG_FILTER, "DATA FILE(*.idf; *.csv)|*.idf;*.IDF;*.csv;*.CSV|FILE(*.*)|*.*");
    EXPECT_STREQ(DEFAULT_EXTENSION, "txt");
}

TEST(MessageTextTest, RefusalSaysHowManyFilesWereNotAdded)
{
    EXPECT_EQ(RefusedFilesMessage(1).str(), "The file list is full (1000 files). 1 file was not added.");
    EXPECT_EQ(RefusedFilesMessage(25).str(), "The file list is full (1000 files). 25 files were not added.");
}

struct WindowTextCase {
    const char* name;
    const char* raw;
    const char* shown;
};

class WindowTextTest : public ::testing::TestWithParam<WindowTextCase> {};

TEST_P(WindowTextTest, LineEndsBecomeLf)
{
    EXPECT_EQ(ToWindowText(GetParam().raw), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowTextTest,
                         ::testing::Values(WindowTextCase{"CrLfBecomesLf", "a\r\nb\r\n", "a\nb\n"},
                                           WindowTextCase{"LfStays", "a\nb", "a\nb"},
                                           WindowTextCase{"LoneCrStays", "a\rb", "a\rb"},
                                           WindowTextCase{"TrailingCrStays", "a\r", "a\r"},
                                           WindowTextCase{"CrCrLfKeepsOneCr", "a\r\r\n", "a\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TrimPointTest, TextWithinTheLimitIsKeptWhole)
{
    EXPECT_EQ(TrimPoint("abc\ndef\n", 8), 0U);
}

TEST(TrimPointTest, CutFallsAfterTheNextLineBreak)
{
    std::string text;
    for (int i = 0; i < 100; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "line %04d\n", i);
        text += line;
    }
    const std::size_t cut = TrimPoint(text, 500);
    EXPECT_EQ(text.substr(cut, 10), "line 0051\n");
    EXPECT_LE(text.size() - cut, 500U);
}

TEST(TrimPointTest, OverlongLineIsCutWhereItStands)
{
    const std::string text(100, 'x');
    EXPECT_EQ(TrimPoint(text, 40), 60U);
}

}  // namespace
