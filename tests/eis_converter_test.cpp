// The impedance converter, fed with work files as the filter writes them.
#include "engine/eis_converter.h"

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_exception.h"
#include "platform/sysio.h"
#include "support/test_util.h"

namespace {

using testutil::Crlf;
using testutil::MessageRecorder;
using testutil::ReadFileBytes;
using testutil::ScopedAreaSettings;
using testutil::WriteFileBytes;

constexpr const char* WORK = "123.xqrtmp";
constexpr const char* OUTPUT = "out+IV.txt";
constexpr const char* HEADER = "Pt,Time,Type,E,I,Cycle,Freq,Zmod,Zphz,Zreal,Zimag\n";

// A data row of eleven fields with the four used ones given.
std::string Row(const std::string& marker, const std::string& frequency, const std::string& real,
                const std::string& imaginary)
{
    return "1,0.5," + marker + ",0.1,2e-6,1," + frequency + ",11.2,-26.6," + real + "," + imaginary + "\n";
}

struct EisCase {
    const char* name;
    std::string work;    // lines, "\n" standing for the filter's CR LF
    std::string output;  // expected lines, "\n" standing for CR LF on disk
    int messages = 0;    // message boxes expected (never more than one)
    float area = 1.0f;
    int areaEnabled = 1;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const EisCase& c, std::ostream* out)
{
    *out << c.name;
}

class EisConverterTest : public testutil::TempDirTest {
protected:
    std::string Convert(const std::string& work)
    {
        WriteFileBytes(WORK, Crlf(work));
        EXPECT_EQ(ConvertEisCsv(WORK, OUTPUT), 0);
        return ReadFileBytes(OUTPUT);
    }
};

class EisCaseTest : public EisConverterTest, public ::testing::WithParamInterface<EisCase> {};

TEST_P(EisCaseTest, WritesTheExpectedBytesAndMessages)
{
    const EisCase& c = GetParam();
    ScopedAreaSettings area(c.area, c.areaEnabled);
    MessageRecorder recorder;
    EXPECT_EQ(Convert(c.work), Crlf(c.output));
    ASSERT_EQ(static_cast<int>(recorder.Messages().size()), c.messages);
    for (size_t i = 0; i < recorder.Messages().size(); ++i) {
        EXPECT_EQ(recorder.Messages()[i], "Can't find EIS data in the current file!\r\n");
        EXPECT_EQ(recorder.Types()[i], 0u);
    }
}

std::string CaseName(const ::testing::TestParamInfo<EisCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EisCaseTest,
    ::testing::Values(
        EisCase{"EmptyWorkFile", "", ""}, EisCase{"HeaderOnly", HEADER, ""},
        EisCase{"HeaderOnlyWithoutLineEnd", "Freq,Zreal,Zimag", ""},
        EisCase{"HeaderIsNeverTested", "no marker here\n" + Row("EIS", "1", "2", "3"),
                "1.000000 2.000000 -3.000000\n"},
        EisCase{"FirstRowWithoutMarkerStopsAtOnce",
                HEADER + Row("DC", "1", "2", "3") + Row("EIS", "1", "2", "3"), "", 1},
        EisCase{"RowOfFewerThanThreeFieldsStops", HEADER + std::string("1,EIS\n") + Row("EIS", "1", "2", "3"),
                "", 1},
        EisCase{"MarkerInsideALongerWord", HEADER + Row("xEISy", "1", "2", "3"),
                "1.000000 2.000000 -3.000000\n"},
        EisCase{"LowerCaseMarkerStops", HEADER + Row("eis", "1", "2", "3"), "", 1},
        EisCase{"MarkerInAnotherFieldDoesNotCount", HEADER + std::string("EIS,EIS,DC,EIS\n"), "", 1},
        EisCase{"RowsBeforeTheStopStayAndNothingAfterIsRead",
                HEADER + Row("EIS", "1", "2", "3") + Row("DC", "4", "5", "6") + Row("EIS", "7", "8", "9") +
                    "also,no,marker\n",
                "1.000000 2.000000 -3.000000\n", 1},
        EisCase{"FieldsPastTheEleventhAreIgnored",
                HEADER + std::string("1,0.5,EIS,0.1,2e-6,1,1000,11.2,-26.6,10,-5,99,98,97\n"),
                "1000.000000 10.000000 5.000000\n"},
        EisCase{"QuotedCommaShiftsTheFields", HEADER + std::string("1,0.5,EIS,\"a,b\",4,5,1000,7,8,10,-5\n"),
                "5.000000 8.000000 -10.000000\n"},
        EisCase{"QuotedCommaBeforeTheMarkerStops", HEADER + std::string("1,\"a,b\",EIS,4,5,1000,7,8,10,-5\n"),
                "", 1},
        EisCase{"TrailingCommaOpensNoField",
                HEADER + std::string("1,0.5,EIS,0.1,2e-6,1,1000,11.2,-26.6,10,\n"),
                "1000.000000 10.000000 -0.000000\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Numbers, EisCaseTest,
    ::testing::Values(EisCase{"AreaTwoAtThousandHertz", HEADER + Row("EIS", "1000", "10", "-5"),
                              "1000.000000 20.000000 10.000000\n", 0, 2.0f, 1},
                      EisCase{"FlagZeroWritesUnscaled", HEADER + Row("EIS", "1000", "10", "-5"),
                              "1000.000000 10.000000 5.000000\n", 0, 2.0f, 0},
                      EisCase{"FlagOtherThanOneWritesUnscaled", HEADER + Row("EIS", "1000", "10", "-5"),
                              "1000.000000 10.000000 5.000000\n", 0, 2.0f, 2},
                      EisCase{"ProductIsRoundedToSinglePrecision", HEADER + Row("EIS", "1", "0.1", "0.1"),
                              "1.000000 0.030000 -0.030000\n", 0, 0.3f, 1},
                      EisCase{"TinyValuesPrintAsZero", HEADER + Row("EIS", "4e-7", "4e-7", "-4e-7"),
                              "0.000000 0.000000 0.000000\n"},
                      EisCase{"ZeroImaginaryIsNegativeZero", HEADER + Row("EIS", "1", "0", "0"),
                              "1.000000 0.000000 -0.000000\n"},
                      EisCase{"SinglePrecision", HEADER + Row("EIS", "1234.5678", "1", "1"),
                              "1234.567749 1.000000 -1.000000\n"},
                      EisCase{"ExponentAndTrailingText", HEADER + Row("EIS", "1.5e3", "12abc", " -2.5E-1"),
                              "1500.000000 12.000000 0.250000\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    CarryOver, EisCaseTest,
    ::testing::Values(
        EisCase{"ValuesStartAtZero", HEADER + Row("EIS", "", "", "x"), "0.000000 0.000000 -0.000000\n"},
        // The area is applied to what is written, not to the held value, so a
        // carried value comes out as it did on the row before (it was once
        // multiplied again on every carried row).
        EisCase{"EmptyRealCarriesTheScaledValueUnchanged",
                HEADER + Row("EIS", "1000", "10", "-5") + Row("EIS", "2000", "", "-1"),
                "1000.000000 20.000000 10.000000\n2000.000000 20.000000 2.000000\n", 0, 2.0f, 1},
        EisCase{"EmptyImaginaryCarriesTheScaledValueUnchanged",
                HEADER + Row("EIS", "1000", "10", "-5") + Row("EIS", "2000", "1", ""),
                "1000.000000 20.000000 10.000000\n2000.000000 2.000000 10.000000\n", 0, 2.0f, 1},
        EisCase{"EmptyFrequencyRepeatsUnscaled",
                HEADER + Row("EIS", "1000", "10", "-5") + Row("EIS", "", "1", "1"),
                "1000.000000 20.000000 10.000000\n1000.000000 2.000000 -2.000000\n", 0, 2.0f, 1},
        EisCase{"ShortRowRepeatsAllThree", HEADER + Row("EIS", "100", "1", "2") + "0,1,EIS,3\n",
                "100.000000 3.000000 -6.000000\n100.000000 3.000000 -6.000000\n", 0, 3.0f, 1},
        EisCase{"AreaZeroGivesZerosThatStay",
                HEADER + Row("EIS", "1000", "10", "-5") + Row("EIS", "2000", "", "") +
                    Row("EIS", "3000", "7", "5") + Row("EIS", "4000", "abc", ""),
                "1000.000000 0.000000 0.000000\n2000.000000 0.000000 0.000000\n"
                "3000.000000 0.000000 -0.000000\n4000.000000 0.000000 -0.000000\n",
                0, 0.0f, 1}),
    CaseName);

TEST_F(EisConverterTest, MissingWorkFileRaisesWithItsPathAndCreatesNoOutput)
{
    testutil::ExpectFileError([] { ConvertEisCsv("missing.xqrtmp", OUTPUT); },
                              {.cause = CFileException::fileNotFound, .path = "missing.xqrtmp"});
    EXPECT_FALSE(testutil::Exists(OUTPUT));
}

TEST_F(EisConverterTest, OutputInMissingFolderRaisesWithItsPath)
{
    WriteFileBytes(WORK, Crlf(HEADER + Row("EIS", "1", "2", "3")));
    const std::string output = PathOf("no-such-folder/out.txt");
    MessageRecorder recorder;
    testutil::ExpectFileError([&] { ConvertEisCsv(WORK, output.c_str()); },
                              {.osError = testutil::OS_FOLDER_NOT_FOUND, .path = output});
    EXPECT_TRUE(recorder.Messages().empty());
}

TEST_F(EisConverterTest, DeviceAsOutputIsRefusedAndLeftAlone)
{
    // A finished output is renamed into place, which would take a device
    // out of the system: the device is refused before anything is written.
    SKIP_WITHOUT_FULL_DEVICE();
    WriteFileBytes(WORK, Crlf(HEADER + Row("EIS", "1", "2", "3")));
    testutil::ExpectFileError([] { ConvertEisCsv(WORK, "/dev/full"); },
                              {.cause = CFileException::refused, .path = "/dev/full"});
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_FALSE(std::filesystem::exists("/dev/full.unfinished"));
}

TEST_F(EisConverterTest, FailedCloseAfterTheMessageIsReported)
{
    WriteFileBytes(WORK, Crlf(HEADER + Row("DC", "1", "2", "3")));
    MessageRecorder recorder;
    ScopedSysIo restore;
    static int closes;
    closes = 0;
    Sys().fclose = [](FILE* stream) {
        const int result = RealSysIo().fclose(stream);
        if (++closes != 2) return result;
        errno = EIO;
        return EOF;
    };
    testutil::ExpectFileError([] { ConvertEisCsv(WORK, OUTPUT); },
                              {.cause = CFileException::diskFull, .path = OUTPUT});
    EXPECT_EQ(recorder.Messages().size(), 1u);
}

TEST_F(EisConverterTest, LongRowsAndManyRowsConvert)
{
    ScopedAreaSettings area(1.0f, 1);
    MessageRecorder recorder;
    std::string work = HEADER;
    std::string expected;
    const std::string padding(300, 'p');  // longer than one line chunk
    for (int i = 1; i <= 500; ++i) {
        work +=
            "1," + padding + ",EIS," + padding + ",4,5," + std::to_string(i) + ",7,8,1,2," + padding + "\n";
        expected += std::to_string(i) + ".000000 1.000000 -2.000000\n";
    }
    EXPECT_EQ(Convert(work), Crlf(expected));
    EXPECT_TRUE(recorder.Messages().empty());
}

}  // namespace
