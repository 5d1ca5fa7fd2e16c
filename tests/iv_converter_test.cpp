// The current-voltage converter, fed with work files as the filter writes
// them (printable lines ended by CR LF).
#include "engine/iv_converter.h"

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_exception.h"
#include "platform/sysio.h"
#include "support/test_util.h"

namespace {

using testutil::Crlf;
using testutil::ReadFileBytes;
using testutil::ScopedAreaSettings;
using testutil::WriteFileBytes;

constexpr const char* WORK = "123.xqrtmp";
constexpr const char* OUTPUT = "out+IV.txt";

struct IvCase {
    const char* name;
    std::string work;    // lines, "\n" standing for the filter's CR LF
    std::string output;  // expected lines, "\n" standing for CR LF on disk
    int result = 0;
    float area = 1.0f;
    int areaEnabled = 1;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const IvCase& c, std::ostream* out)
{
    *out << c.name;
}

class IvConverterTest : public testutil::TempDirTest {
protected:
    // Converts `work` (given with "\n" line ends) and returns the output bytes.
    std::string Convert(const std::string& work, int* result)
    {
        WriteFileBytes(WORK, Crlf(work));
        *result = ConvertIvFile(WORK, OUTPUT);
        return ReadFileBytes(OUTPUT);
    }
};

class IvCaseTest : public IvConverterTest, public ::testing::WithParamInterface<IvCase> {};

TEST_P(IvCaseTest, WritesTheExpectedBytes)
{
    const IvCase& c = GetParam();
    ScopedAreaSettings area(c.area, c.areaEnabled);
    int result = 99;
    EXPECT_EQ(Convert(c.work, &result), Crlf(c.output));
    EXPECT_EQ(result, c.result);
}

std::string CaseName(const ::testing::TestParamInfo<IvCase>& info)
{
    return info.param.name;
}

// A work file up to and including the count line.
std::string Head(const std::string& count)
{
    return "Version=7\nprimary_data\n3\n" + count + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    MarkerSearch, IvCaseTest,
    ::testing::Values(
        IvCase{"EmptyWorkFile", "", "", -2}, IvCase{"NoMarkerReadsToTheEnd", "a\n3\n1\n1 2 3\n", "", -2},
        IvCase{"MarkerOnLastLineWithoutLineEnd", "x\nprimary_data", "", -2},
        IvCase{"MarkerOnLastLine", "x\nprimary_data\n", "", -2},
        IvCase{"MarkerOnLineBeforeLast", "primary_data\n3\n", "", -2},
        IvCase{"MarkerInsideAWord", "xprimary_datax\n3\n1\n1 2 3\n", "1.000000,-2000.000000,3.000000\n"},
        IvCase{"MarkerOnTheFirstLine", "primary_data\n3\n1\n1 2 3\n", "1.000000,-2000.000000,3.000000\n"},
        IvCase{"MarkerInUpperCaseIsNoMarker", "PRIMARY_DATA\n3\n1\n1 2 3\n", "", -2},
        IvCase{"FirstMarkerWins", "primary_data\n3\n1\n1 1 1\nprimary_data\n3\n2\n2 2 2\n3 3 3\n",
               "1.000000,-1000.000000,1.000000\n"},
        IvCase{"LineAfterMarkerIsSkippedUnread", "primary_data\n5\n1\n1 2 3\n",
               "1.000000,-2000.000000,3.000000\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    PointCount, IvCaseTest,
    ::testing::Values(IvCase{"CountFollowedByText", Head("3 points") + "1 1 1\n2 2 2\n3 3 3\n",
                             "1.000000,-1000.000000,1.000000\n2.000000,-2000.000000,2.000000\n"
                             "3.000000,-3000.000000,3.000000\n"},
                      IvCase{"FractionalCountIsCut", Head("2.9") + "1 1 1\n2 2 2\n3 3 3\n",
                             "1.000000,-1000.000000,1.000000\n2.000000,-2000.000000,2.000000\n"},
                      IvCase{"NegativeCount", Head("-4") + "1 1 1\n", "", -2},
                      IvCase{"ZeroCount", Head("0") + "1 1 1\n", "", -2},
                      IvCase{"CountThatIsNoNumber", Head("abc") + "1 1 1\n", "", -2},
                      IvCase{"LinesAfterTheCountedOnesAreNotRead", Head("1") + "1 1 1\nfoo\n9 9 9\n",
                             "1.000000,-1000.000000,1.000000\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    DataLines, IvCaseTest,
    ::testing::Values(
        IvCase{"FiveNumbersUseTheFirstThree", Head("1") + "1 2 3 4 5\n", "1.000000,-2000.000000,3.000000\n"},
        IvCase{"SignsSeparateNumbers", Head("1") + "1-2-3\n", "1.000000,2000.000000,-3.000000\n"},
        IvCase{"CommaEndsTheNumbers", Head("1") + "1,2,3\n", "1.000000,-0.000000,0.000000\n"},
        IvCase{"InstrumentExponents", Head("1") + "1.09009E+02  -2.65557E+01 1.00000E+04 \n",
               "109.009003,26555.700302,10000.000000\n"},
        IvCase{"SinglePrecision", Head("1") + "1234.5678 1 1234.5678\n",
               "1234.567749,-1000.000000,1234.567749\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    CarryOver, IvCaseTest,
    ::testing::Values(IvCase{"HeldValuesStartAtZero", Head("1") + "4\n", "4.000000,-0.000000,0.000000\n"},
                      IvCase{"TwoNumbersKeepTheThird", Head("2") + "1 2 3\n4 5\n",
                             "1.000000,-2000.000000,3.000000\n4.000000,-5000.000000,3.000000\n"},
                      // A line with no number at all once repeated the last point; it
                      // gives none now, but still counts toward the announced count.
                      IvCase{"TextLineGivesNoPointButIsCounted", Head("3") + "1 2 3\nn/a\n4 5 6\n7 8 9\n",
                             "1.000000,-2000.000000,3.000000\n4.000000,-5000.000000,6.000000\n"},
                      // The count is an upper bound: points past the end of the data are
                      // never made up (they once repeated the last one, divided again).
                      IvCase{"CountBeyondDataGivesThePointsThatExist", Head("3") + "1 8 3\n",
                             "1.000000,-4000.000000,3.000000\n", 0, 2.0f, 1},
                      // The area is applied to what is written, not to the held value, so
                      // a carried value comes out as it did on the line before.
                      IvCase{"ShortLineCarriesTheScaledSecondUnchanged", Head("2") + "1 8 3\n5\n",
                             "1.000000,-4000.000000,3.000000\n5.000000,-4000.000000,3.000000\n", 0, 2.0f, 1}),
    CaseName);

// A line within the count from which no number at all can be read gives
// no point; a line that gives some numbers keeps the others carried over.
INSTANTIATE_TEST_SUITE_P(
    TextLines, IvCaseTest,
    ::testing::Values(
        IvCase{"StopAndEndTimeAfterTheData",
               Head("6") + "1 2 3\n4 5 6\n[Stop]\nendtime=03/11/2025 09:14:12\nstatus=aborted\n",
               "1.000000,-2000.000000,3.000000\n4.000000,-5000.000000,6.000000\n"},
        IvCase{"LineOfBlanksBetweenPoints", Head("3") + "1 2 3\n    \n4 5 6\n",
               "1.000000,-2000.000000,3.000000\n4.000000,-5000.000000,6.000000\n"},
        IvCase{"TextBeforeTheFirstPoint", Head("2") + "Stop 5 6 7\n1\n", "1.000000,-0.000000,0.000000\n"},
        IvCase{"NumberThenTextCarriesTheRest", Head("2") + "1 2 3\n7 x\n",
               "1.000000,-2000.000000,3.000000\n7.000000,-2000.000000,3.000000\n"},
        IvCase{"OnlyTextWithinTheCount", Head("2") + "[Stop]\nstatus=aborted\n1 2 3\n", ""}),
    CaseName);

// A work file of an impedance run up to and including the count line; its
// rows hold Z', Z'' and the frequency.
std::string ImpedanceHead(const std::string& count, const std::string& method = "Method=Impedance")
{
    return "Version=12\n" + method + "\nTechnique=Constant I\nprimary_data\n3\n" + count + "\n";
}

// An ".idf" file whose header holds the line "Method=Impedance" is written
// as the ".csv" converter writes: frequency, Z' * area, -Z'' * area.
INSTANTIATE_TEST_SUITE_P(
    ImpedanceRuns, IvCaseTest,
    ::testing::Values(
        IvCase{"MethodLineGivesTheImpedanceForm",
               ImpedanceHead("2") + "1.09009E+02  -2.65557E+01 1.00000E+04 \n2 -3 500\n",
               "10000.000000 109.009003 26.555700\n500.000000 2.000000 3.000000\n"},
        IvCase{"BlanksAtTheEndOfTheMethodLine", ImpedanceHead("1", "Method=Impedance   ") + "2 -3 500\n",
               "500.000000 2.000000 3.000000\n"},
        IvCase{"AreaMultipliesBothParts", ImpedanceHead("1") + "10 -5 1000\n",
               "1000.000000 20.000000 10.000000\n", 0, 2.0f, 1},
        // 3000.1 * 0.7 in single precision is 2100.070068; in double, 2100.070033.
        IvCase{"AreaProductIsSinglePrecision", ImpedanceHead("1") + "3000.1 -3000.1 1\n",
               "1.000000 2100.070068 2100.070068\n", 0, 0.7f, 1},
        IvCase{"ZeroImaginaryPartIsNegativeZero", ImpedanceHead("1") + "1 0 2\n",
               "2.000000 1.000000 -0.000000\n"},
        IvCase{"TextLineGivesNoRow", ImpedanceHead("3") + "1 -2 100\n[Stop]\n3 -4 50\n",
               "100.000000 1.000000 2.000000\n50.000000 3.000000 4.000000\n"},
        IvCase{"ShortLineCarriesTheRest", ImpedanceHead("2") + "1 -2 100\n3\n",
               "100.000000 1.000000 2.000000\n100.000000 3.000000 2.000000\n"},
        IvCase{"LeadingBlankIsNoMethodLine", ImpedanceHead("1", " Method=Impedance") + "1 2 3\n",
               "1.000000,-2000.000000,3.000000\n"},
        IvCase{"SmallLettersAreNoMethodLine", ImpedanceHead("1", "method=impedance") + "1 2 3\n",
               "1.000000,-2000.000000,3.000000\n"},
        IvCase{"LongerMethodIsNoMethodLine", ImpedanceHead("1", "Method=Impedance scan") + "1 2 3\n",
               "1.000000,-2000.000000,3.000000\n"},
        IvCase{"OtherMethodStaysASweep", ImpedanceHead("1", "Method=Linear sweep") + "1 2 3\n",
               "1.000000,-2000.000000,3.000000\n"},
        IvCase{"MethodLineAfterTheMarkerIsNoHeader", Head("2") + "Method=Impedance\n1 2 3\n",
               "1.000000,-2000.000000,3.000000\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Area, IvCaseTest,
    ::testing::Values(IvCase{"WorkedExampleCountTwo", Head("2") + "0.5 0.002 10\n-0.25 1.5e-6 0.1\n",
                             "0.500000,-4.000000,10.000000\n-0.250000,-0.003000,0.100000\n", 0, 0.5f, 1},
                      // Four announced, two there: two points, not two made-up ones.
                      IvCase{"WorkedExampleCountFour", Head("4") + "0.5 0.002 10\n-0.25 1.5e-6 0.1\n",
                             "0.500000,-4.000000,10.000000\n-0.250000,-0.003000,0.100000\n", 0, 0.5f, 1},
                      IvCase{"FlagZeroLeavesTheAreaOut", Head("2") + "1 2 3\n4 2 3\n",
                             "1.000000,-2000.000000,3.000000\n"
                             "4.000000,-2000.000000,3.000000\n",
                             0, 0.5f, 0},
                      IvCase{"FlagOtherThanOneLeavesTheAreaOut", Head("1") + "1 2 3\n",
                             "1.000000,-2000.000000,3.000000\n", 0, 0.5f, 2},
                      IvCase{"QuotientIsRoundedToSinglePrecision", Head("1") + "0 1 0\n",
                             "0.000000,-333.333343,0.000000\n", 0, 3.0f, 1},
                      IvCase{"AreaZeroGivesInfinities", Head("2") + "1 2 3\n1 -2 3\n",
                             "1.000000,-inf,3.000000\n"
                             "1.000000,inf,3.000000\n",
                             0, 0.0f, 1}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(SignOfZero, IvCaseTest,
                         ::testing::Values(IvCase{"ZeroSecondIsNegativeZero", Head("1") + "1 0 1\n",
                                                  "1.000000,-0.000000,1.000000\n"},
                                           IvCase{"TinyPositiveSecondRoundsToNegativeZero",
                                                  Head("1") + "1 4e-10 1\n", "1.000000,-0.000000,1.000000\n"},
                                           IvCase{"TinyNegativeSecondRoundsToPositiveZero",
                                                  Head("1") + "1 -4e-10 1\n", "1.000000,0.000000,1.000000\n"},
                                           IvCase{"NegativeZeroFirstKeepsItsSign",
                                                  Head("1") + "-0 1 -0.0000001\n",
                                                  "-0.000000,-1000.000000,-0.000000\n"}),
                         CaseName);

TEST_F(IvConverterTest, AreaZeroWithZeroSecondIsNotANumber)
{
    ScopedAreaSettings area(0.0f, 1);
    int result = 99;
    const std::string output = Convert(Head("1") + "1 0 3\n", &result);
    EXPECT_TRUE(output == Crlf("1.000000,-nan,3.000000\n") || output == Crlf("1.000000,nan,3.000000\n"))
        << output;
}

TEST_F(IvConverterTest, ExistingOutputIsEmptiedWhenThereAreNoPoints)
{
    WriteFileBytes(OUTPUT, "old content");
    int result = 99;
    EXPECT_EQ(Convert("no data here\n", &result), "");
    EXPECT_EQ(result, -2);
}

TEST_F(IvConverterTest, MissingWorkFileRaisesWithItsPathAndCreatesNoOutput)
{
    testutil::ExpectFileError([] { ConvertIvFile("missing.xqrtmp", OUTPUT); },
                              {.cause = CFileException::fileNotFound,
                               .osError = testutil::OS_FILE_NOT_FOUND,
                               .path = "missing.xqrtmp"});
    EXPECT_FALSE(testutil::Exists(OUTPUT));
}

TEST_F(IvConverterTest, OutputInMissingFolderRaisesWithItsPath)
{
    WriteFileBytes(WORK, Crlf(Head("1") + "1 2 3\n"));
    const std::string output = PathOf("no-such-folder/out.txt");
    testutil::ExpectFileError([&] { ConvertIvFile(WORK, output.c_str()); },
                              {.osError = testutil::OS_FOLDER_NOT_FOUND, .path = output});
}

TEST_F(IvConverterTest, DeviceAsOutputIsRefusedAndLeftAlone)
{
    // A finished output is renamed into place, which would take a device
    // out of the system: the device is refused before anything is written.
    SKIP_WITHOUT_FULL_DEVICE();
    WriteFileBytes(WORK, Crlf(Head("1") + "1 2 3\n"));
    testutil::ExpectFileError([] { ConvertIvFile(WORK, "/dev/full"); },
                              {.cause = CFileException::refused, .path = "/dev/full"});
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_FALSE(std::filesystem::exists("/dev/full.unfinished"));
}

// Counts stream closes; the one numbered `failing` closes and then reports failure.
int g_closes = 0;
int g_failingClose = 0;
int CloseThatFails(FILE* stream)
{
    const int result = RealSysIo().fclose(stream);
    if (++g_closes != g_failingClose) return result;
    errno = EIO;
    return EOF;
}

TEST_F(IvConverterTest, FailedCloseIsReportedAlsoWithoutPoints)
{
    // The work file is closed first, the output second.
    for (int failing : {1, 2}) {
        WriteFileBytes(WORK, Crlf("no marker\n"));
        ScopedSysIo restore;
        g_closes = 0;
        g_failingClose = failing;
        Sys().fclose = CloseThatFails;
        testutil::ExpectFileError([] { ConvertIvFile(WORK, OUTPUT); },
                                  {.cause = CFileException::diskFull, .path = failing == 1 ? WORK : OUTPUT},
                                  "close " + std::to_string(failing));
        EXPECT_EQ(g_closes, 2) << "both files are closed, also when the first close fails";
    }
}

TEST_F(IvConverterTest, WriteErrorPassesOnAndLeavesTheEarlierOutput)
{
    // The lines written before the failure never reach the output's name.
    WriteFileBytes(WORK, Crlf(Head("3") + "1 1 1\n2 2 2\n3 3 3\n"));
    WriteFileBytes(OUTPUT, "earlier");
    ScopedSysIo restore;
    static int writes;
    writes = 0;
    Sys().fputs = [](const char* text, FILE* stream) {
        if (++writes == 2) {
            errno = ENOSPC;
            return EOF;
        }
        return RealSysIo().fputs(text, stream);
    };
    testutil::ExpectFileError([] { ConvertIvFile(WORK, OUTPUT); },
                              {.cause = CFileException::diskFull, .path = OUTPUT});
    Sys() = RealSysIo();
    EXPECT_EQ(ReadFileBytes(OUTPUT), "earlier");
    EXPECT_FALSE(std::filesystem::exists(std::string(OUTPUT) + ".unfinished"));
}

TEST_F(IvConverterTest, CountIsAnUpperBoundAndNoPointIsMadeUp)
{
    // A sweep that announces more points than it holds gives the points it
    // holds, however large the count.
    ScopedAreaSettings area(1.0f, 1);
    for (const char* count : {"4", "20000", "2147483647"}) {
        int result = 99;
        const std::string output = Convert(Head(count) + "1 2 3\n4 5 6\n7 8 9\n", &result);
        EXPECT_EQ(result, 0) << count;
        EXPECT_EQ(output, Crlf("1.000000,-2000.000000,3.000000\n4.000000,-5000.000000,6.000000\n"
                               "7.000000,-8000.000000,9.000000\n"))
            << count;
    }
}

}  // namespace
