// quillmere-convert on inputs and surroundings that go wrong: for each, the
// exit status, the exact messages, what is left on disk, and that no input
// file changed.
#include <gtest/gtest.h>

#if defined(QUILLMERE_CONVERT_EXE) && !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/convert_command.h"
#include "engine/convert_file.h"
#include "platform/sysio.h"
#include "support/cli_util.h"
#include "support/robust_util.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::ErrLine;
using testutil::Exists;
using testutil::ProcessResult;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;
using Args = std::vector<std::string>;

const fs::path SAMPLES = fs::path(QUILLMERE_SOURCE_DIR) / "samples";

// The warning of a file that gave no data, after its path.
constexpr const char* NO_MARKER = "no data: no \"primary_data\" line; the output is empty";
constexpr const char* NO_COUNT =
    "no data: no positive point count after the \"primary_data\" line; the output is empty";
constexpr const char* NO_ROWS = "no data: no rows after the header line; the output is empty";
constexpr const char* NO_EIS_ROW = "no data: no \"EIS\" row; the output is empty";
// What a refused output name is told.
constexpr const char* NAME_TAKEN =
    "its name is taken by a folder, device or other file that is not a regular one";

// `text` with every "@" replaced by `dir`.
std::string At(const std::string& text, const fs::path& dir)
{
    std::string result;
    for (char c : text) {
        if (c == '@')
            result += dir.string();
        else
            result += c;
    }
    return result;
}

// The lines that end a run stopped by a file error: where and why, how many
// files after it did not run (a line only when some did not), and the
// summary of every file's outcome, which counts the failed file apart.
std::string Stopped(const std::string& job, const std::string& reason, int notRun, int total,
                    const std::string& summary)
{
    return ErrLine("stopped at " + job + ": " + reason) +
           (notRun > 0 ? ErrLine(std::to_string(notRun) + " of " + std::to_string(total) + " files not run")
                       : std::string()) +
           ErrLine(summary);
}

// The warning line of one file that gave no full output.
std::string Warning(const std::string& job, const std::string& text)
{
    return ErrLine(job + ": " + text);
}

// `value` with its thousands separated by commas, as the summary writes counts.
std::string Grouped(long long value)
{
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

std::string Progress(const std::string& job)
{
    return "Finished Processing file: " + job + "\r\n";
}

std::string Sample(const char* name)
{
    return ReadFileBytes(SAMPLES / name);
}

// Every byte that the filter drops, several times over.
std::string OnlySeparators()
{
    std::string bytes;
    for (int round = 0; round < 4; ++round) {
        for (int value = 0; value < 256; ++value) {
            if (value < 0x20 || value > 0x7E) bytes += static_cast<char>(value);
        }
    }
    return bytes;
}

// `text` as UTF-16, little- or big-endian, with or without a byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian, bool byteOrderMark)
{
    std::string bytes;
    if (byteOrderMark) bytes += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        if (bigEndian) bytes += '\0';
        bytes += c;
        if (!bigEndian) bytes += '\0';
    }
    return bytes;
}

// A file to make before the run.
struct MadeFile {
    const char* name;
    std::function<std::string()> content;
};

class BadInputTest : public testutil::TempDirTest {
protected:
    ProcessResult Run(const Args& args, const fs::path& workDir) const
    {
        return testutil::RunProcess(QUILLMERE_CONVERT_EXE, args, workDir);
    }

    // Writes `files`, remembering the checksum of each.
    void Make(const std::vector<MadeFile>& files)
    {
        for (const MadeFile& file : files) {
            WriteFileBytes(file.name, file.content());
            m_inputs[file.name] = testutil::FileChecksum(file.name);
        }
    }

    void ExpectInputsUnchanged(const std::string& what) const
    {
        for (const auto& [name, checksum] : m_inputs)
            EXPECT_EQ(testutil::FileChecksum(name), checksum) << what << ": input " << name << " changed";
    }

    // Everything in the test folder, sorted; folders end in "/", links in "@".
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(Dir())) {
            std::string name = entry.path().filename().string();
            if (entry.is_symlink())
                name += "@";
            else if (entry.is_directory())
                name += "/";
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::map<std::string, std::uint64_t> m_inputs;
};

// ---- inputs the program cannot use ----------------------------------------------

struct InputCase {
    const char* name;
    std::vector<MadeFile> files;
    std::vector<const char*> folders;  // made before the run
    std::vector<const char*> pipes;    // named pipes made before the run
    Args args;
    int exitStatus;
    std::string out;  // "@" stands for the test folder
    std::string err;
    std::vector<std::string> left;                // the whole folder afterwards
    std::map<std::string, std::string> contents;  // exact bytes of files left
};

// Every file is looked at before any is converted: one that cannot be used
// is named with the reason, and nothing at all is made, not even the work
// file. A file without data still gets its empty output, and standard error
// says so for each file and sums the run up; the exit status 3 (once 0)
// tells a script that some file gave no full output.
TEST_F(BadInputTest, InputsThatCannotBeConvertedAreReportedOrGiveEmptyOutputs)
{
    const std::string sweep = Sample("sweep_cell_A_07.idf");
    const std::string spectrum = Sample("impedance_cell_B_02.csv");
    const std::string unusable = ErrLine("nothing was converted: 1 of the 1 files cannot be used");
    const std::string twoWithoutData = ErrLine("2 files: 0 converted (0 rows), 2 without data");
    const std::vector<InputCase> cases = {
        {"missing file",
         {},
         {},
         {},
         {"missing.idf"},
         1,
         "",
         ErrLine("cannot convert @/missing.idf: no such file") + unusable,
         {},
         {}},
        // A folder stands for its data files, as on the dialog; one without
        // any is named, and with nothing else left there is nothing to run.
        {"folder without data files",
         {},
         {"data.idf"},
         {},
         {"data.idf"},
         2,
         "",
         ErrLine("Nothing was added from the folder @/data.idf: no data files (names with \".idf\" or "
                 "\".csv\").") +
             ErrLine("no files to convert") + USAGE_TEXT +
             "Try 'quillmere-convert --help' for more information.\n",
         {"data.idf/"},
         {}},
        // Opening a pipe for reading would wait for ever for a writer.
        {"named pipe",
         {},
         {},
         {"p.idf"},
         {"p.idf"},
         1,
         "",
         ErrLine("cannot convert @/p.idf: it is not a regular file (a pipe, device or socket)") + unusable,
         {"p.idf"},
         {}},
        {"empty files",
         {{"e.idf", [] { return ""; }}, {"f.csv", [] { return ""; }}},
         {},
         {},
         {"e.idf", "f.csv"},
         3,
         Progress("@/e.idf") + Progress("@/f.csv"),
         Warning("@/e.idf", NO_MARKER) + Warning("@/f.csv", NO_ROWS) + twoWithoutData,
         {"e+IV.txt", "e.idf", "f+IV.txt", "f.csv"},
         {{"e+IV.txt", ""}, {"f+IV.txt", ""}}},
        {"only separators",
         {{"s.idf", OnlySeparators}, {"t.csv", OnlySeparators}},
         {},
         {},
         {"s.idf", "t.csv"},
         3,
         Progress("@/s.idf") + Progress("@/t.csv"),
         Warning("@/s.idf", NO_MARKER) + Warning("@/t.csv", NO_ROWS) + twoWithoutData,
         {"s+IV.txt", "s.idf", "t+IV.txt", "t.csv"},
         {{"s+IV.txt", ""}, {"t+IV.txt", ""}}},
        {"zero bytes throughout",
         {{"z.idf", [] { return std::string(1 << 20, '\0'); }},
          {"y.csv", [] { return std::string(1 << 20, '\0'); }}},
         {},
         {},
         {"z.idf", "y.csv"},
         3,
         Progress("@/z.idf") + Progress("@/y.csv"),
         Warning("@/z.idf", NO_MARKER) + Warning("@/y.csv", NO_ROWS) + twoWithoutData,
         {"y+IV.txt", "y.csv", "z+IV.txt", "z.idf"},
         {{"z+IV.txt", ""}, {"y+IV.txt", ""}}},
        // UTF-16 puts every character on a line of its own: no line says
        // "primary_data", and no row has a field 2. The warning line stands
        // for the message the dialog shows in a box about the missing rows.
        {"UTF-16 with byte-order mark",
         {{"u.idf", [&] { return Utf16(sweep, false, true); }},
          {"v.csv", [&] { return Utf16(spectrum, false, true); }}},
         {},
         {},
         {"u.idf", "v.csv"},
         3,
         Progress("@/u.idf") + Progress("@/v.csv"),
         Warning("@/u.idf", NO_MARKER) + Warning("@/v.csv", NO_EIS_ROW) + twoWithoutData,
         {"u+IV.txt", "u.idf", "v+IV.txt", "v.csv"},
         {{"u+IV.txt", ""}, {"v+IV.txt", ""}}},
        {"UTF-16 without byte-order mark",
         {{"u.idf", [&] { return Utf16(sweep, false, false); }},
          {"v.csv", [&] { return Utf16(spectrum, false, false); }}},
         {},
         {},
         {"u.idf", "v.csv"},
         3,
         Progress("@/u.idf") + Progress("@/v.csv"),
         Warning("@/u.idf", NO_MARKER) + Warning("@/v.csv", NO_EIS_ROW) + twoWithoutData,
         {"u+IV.txt", "u.idf", "v+IV.txt", "v.csv"},
         {{"u+IV.txt", ""}, {"v+IV.txt", ""}}},
        {"UTF-16 big-endian with byte-order mark",
         {{"u.idf", [&] { return Utf16(sweep, true, true); }},
          {"v.csv", [&] { return Utf16(spectrum, true, true); }}},
         {},
         {},
         {"u.idf", "v.csv"},
         3,
         Progress("@/u.idf") + Progress("@/v.csv"),
         Warning("@/u.idf", NO_MARKER) + Warning("@/v.csv", NO_EIS_ROW) + twoWithoutData,
         {"u+IV.txt", "u.idf", "v+IV.txt", "v.csv"},
         {{"u+IV.txt", ""}, {"v+IV.txt", ""}}},
    };
    for (const InputCase& c : cases) {
        for (const fs::directory_entry& entry : fs::directory_iterator(Dir())) fs::remove_all(entry.path());
        m_inputs.clear();
        Make(c.files);
        for (const char* folder : c.folders) fs::create_directory(folder);
        for (const char* pipe : c.pipes)
            ASSERT_EQ(mkfifo(pipe, 0600), 0) << c.name << ": " << std::strerror(errno);
        const ProcessResult result = Run(c.args, Dir());
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.name;
        EXPECT_EQ(result.out, At(c.out, Dir())) << c.name;
        EXPECT_EQ(result.err, At(c.err, Dir())) << c.name;
        EXPECT_EQ(Listing(), c.left) << c.name;
        for (const auto& [name, bytes] : c.contents)
            EXPECT_EQ(ReadFileBytes(name), bytes) << c.name << ": " << name;
        for (const char* folder : c.folders) EXPECT_TRUE(fs::is_empty(folder)) << c.name << ": " << folder;
        for (const char* pipe : c.pipes) EXPECT_TRUE(fs::is_fifo(pipe)) << c.name << ": " << pipe;
        ExpectInputsUnchanged(c.name);
    }
}

TEST_F(BadInputTest, HundredMegabyteLineWithoutLineFeedGivesAnEmptyOutput)
{
    // The marker line is the whole file: the point count would lie two lines
    // further on, past the end.
    constexpr std::size_t LENGTH = 100u * 1000 * 1000;
    Make({{"long.idf", [] {
               std::string text = "primary_data ";
               text.resize(LENGTH, 'x');
               return text;
           }}});
    const ProcessResult result = Run({"long.idf"}, Dir());
    // 3, once 0: the run went through, and the file gave no full output.
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.out, Progress(PathOf("long.idf")));
    // The empty output is written all the same; standard error says why.
    EXPECT_EQ(result.err, Warning(PathOf("long.idf"), NO_COUNT) +
                              ErrLine("1 file: 0 converted (0 rows), 1 without data"));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"long+IV.txt", "long.idf"}));
    EXPECT_EQ(ReadFileBytes("long+IV.txt"), "");
    ExpectInputsUnchanged("long line");
}

// ---- a point count of 2147483647 ----------------------------------------------

const std::string HUGE_COUNT = "primary_data\r\nV A s\r\n2147483647\r\n1 2 3\r\n4 5 6\r\n7 8 9\r\n";

TEST_F(BadInputTest, HugeCountWritesOnlyTheRowsThatExist)
{
    // The count is only an upper bound: the sweep ends with its data, long
    // before the file-size limit that once stopped the rows made up past it.
    Make({{"huge.idf", [] { return HUGE_COUNT; }}});
    ProcessResult result;
    {
        testutil::ScopedFileSizeLimit limit(8u << 20);
        result = Run({"huge.idf"}, Dir());
    }
    // 3, once 0: a short sweep is no full output.
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.out, Progress(PathOf("huge.idf")));
    EXPECT_EQ(result.err, Warning(PathOf("huge.idf"),
                                  "short sweep: only 3 of the 2147483647 announced points are in the file") +
                              ErrLine("1 file: 0 converted (0 rows), 1 short (3 rows)"));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"huge+IV.txt", "huge.idf"}));
    EXPECT_EQ(ReadFileBytes("huge+IV.txt"),
              "1.000000,-2000.000000,3.000000\r\n4.000000,-5000.000000,6.000000\r\n"
              "7.000000,-8000.000000,9.000000\r\n");
    ExpectInputsUnchanged("huge count");
}

// A sweep that really holds 100000 points: its work file (700 kB) fits under
// the limit below, its output (3.2 MB) does not.
std::string BigSweep()
{
    std::string text = "primary_data\r\nV A s\r\n100000\r\n";
    for (int i = 0; i < 100000; ++i) text += "1 2 3\r\n";
    return text;
}

TEST_F(BadInputTest, FileSizeLimitWhileWritingTheOutputStopsAndKeepsTheEarlierOutput)
{
    constexpr rlim_t LIMIT = 1u << 20;
    struct Case {
        const char* name;
        std::optional<std::string> earlier;  // the output an earlier run left, if any
    } const cases[] = {
        {"no earlier output", std::nullopt},
        {"an earlier output", "1.000000,-2000.000000,3.000000\r\n"},
    };
    for (const Case& c : cases) {
        for (const fs::directory_entry& entry : fs::directory_iterator(Dir())) fs::remove_all(entry.path());
        m_inputs.clear();
        Make({{"big.idf", BigSweep}});
        std::vector<std::string> left = {"123.xqrtmp", "big.idf"};
        if (c.earlier) {
            WriteFileBytes("big+IV.txt", *c.earlier);
            left.push_back("big+IV.txt");
            std::sort(left.begin(), left.end());
        }
        ProcessResult result;
        {
            testutil::ScopedFileSizeLimit limit(LIMIT);
            result = Run({"big.idf"}, Dir());
        }
        EXPECT_EQ(result.exitStatus, 1) << c.name;
        EXPECT_EQ(result.out, "") << c.name;
        EXPECT_EQ(result.err, At(Stopped("@/big.idf", "cannot write @/big+IV.txt: File too large", 0, 1,
                                         "1 file: 0 converted (0 rows), 1 failed"),
                                 Dir()))
            << c.name;
        // The output was written under its unfinished name, removed when the
        // limit stopped it: nothing cut off is left under the output's name,
        // and an earlier output keeps every byte.
        EXPECT_EQ(Listing(), left) << c.name;
        if (c.earlier) {
            EXPECT_EQ(ReadFileBytes("big+IV.txt"), *c.earlier) << c.name;
        }
        // The work file stays behind after a file error, whole.
        EXPECT_EQ(ReadFileBytes(WORK_FILE_NAME), BigSweep()) << c.name;
        ExpectInputsUnchanged(c.name);
    }
}

TEST_F(BadInputTest, OutputLinkedToADeviceIsRefusedBeforeAnythingIsWritten)
{
    // Renaming a finished output over the link would replace it; writing
    // through it would write into the device. Neither happens: the name is
    // refused before the work file is even made.
    Make({{"huge.idf", [] { return HUGE_COUNT; }}});
    fs::create_symlink("/dev/full", "huge+IV.txt");
    const ProcessResult result = Run({"huge.idf"}, Dir());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              At(Stopped("@/huge.idf", "refusing to use @/huge+IV.txt: " + std::string(NAME_TAKEN), 0, 1,
                         "1 file: 0 converted (0 rows), 1 failed"),
                 Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"huge+IV.txt@", "huge.idf"}));
    EXPECT_EQ(fs::read_symlink("huge+IV.txt"), fs::path("/dev/full"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    ExpectInputsUnchanged("output linked to a device");
}

// ---- where the outputs and the work file go -------------------------------------

// Runs the whole command in this process, with its two output streams
// caught, so that the seam can act at a chosen moment of the run.
ProcessResult RunHere(const Args& args)
{
    std::fflush(nullptr);
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    const int savedOut = dup(STDOUT_FILENO);
    const int savedErr = dup(STDERR_FILENO);
    dup2(fileno(out), STDOUT_FILENO);
    dup2(fileno(err), STDERR_FILENO);
    ProcessResult result;
    result.exitStatus = RunCommandLine(args);
    std::fflush(nullptr);
    dup2(savedOut, STDOUT_FILENO);
    dup2(savedErr, STDERR_FILENO);
    close(savedOut);
    close(savedErr);
    for (auto [stream, text] : {std::pair{out, &result.out}, std::pair{err, &result.err}}) {
        std::rewind(stream);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) text->append(buffer, n);
        std::fclose(stream);
    }
    return result;
}

// A disk that fills while the output is written: the writes to the output's
// stream fail with "no space" once `g_writesBeforeFull` of them got through.
int g_outputFd = -1;
int g_writesBeforeFull = 0;
int g_failedWrites = 0;

int OpenAndNoteOutput(const char* path, int flags, mode_t mode)
{
    const int fd = RealSysIo().open(path, flags, mode);
    const std::string_view name = path;
    // The open that creates the unfinished output is the one it is written
    // through; the lock on it opens the same name again.
    if (fd >= 0 && (flags & O_CREAT) != 0 && name.find("+IV.txt.unfinished") != std::string_view::npos)
        g_outputFd = fd;
    return fd;
}

bool DiskIsFullFor(FILE* stream)
{
    if (g_outputFd < 0 || fileno(stream) != g_outputFd) return false;
    if (g_writesBeforeFull > 0) {
        --g_writesBeforeFull;
        return false;
    }
    ++g_failedWrites;
    errno = ENOSPC;
    return true;
}

int FputsOntoFullDisk(const char* text, FILE* stream)
{
    return DiskIsFullFor(stream) ? EOF : RealSysIo().fputs(text, stream);
}

size_t FwriteOntoFullDisk(const void* buffer, size_t size, size_t count, FILE* stream)
{
    return DiskIsFullFor(stream) ? 0 : RealSysIo().fwrite(buffer, size, count, stream);
}

int FcloseAndForgetOutput(FILE* stream)
{
    if (fileno(stream) == g_outputFd) g_outputFd = -1;
    return RealSysIo().fclose(stream);
}

TEST_F(BadInputTest, FullDiskWhileWritingTheOutputIsReported)
{
    // An output name that links to a full device is refused before anything
    // is written, so the disk fills here inside the process, after the first
    // two lines of the new output.
    const std::string earlier = "the output of an earlier run\r\n";
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}, {"b.idf", [] { return HUGE_COUNT; }}});
    WriteFileBytes("a+IV.txt", earlier);
    ProcessResult result;
    {
        ScopedSysIo restore;
        g_outputFd = -1;
        g_writesBeforeFull = 2;
        g_failedWrites = 0;
        Sys().open = OpenAndNoteOutput;
        Sys().fputs = FputsOntoFullDisk;
        Sys().fwrite = FwriteOntoFullDisk;
        Sys().fclose = FcloseAndForgetOutput;
        result = RunHere({"a.idf", "b.idf"});
    }
    EXPECT_EQ(g_failedWrites, 1);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, At(Stopped("@/a.idf", "cannot write @/a+IV.txt: No space left on device", 1, 2,
                                     "2 files: 0 converted (0 rows), 1 failed, 1 not run"),
                             Dir()));
    // The new output never took the earlier one's place, and its unfinished
    // file is gone; the run stopped before b.idf.
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "a+IV.txt", "a.idf", "b.idf"}));
    EXPECT_EQ(ReadFileBytes("a+IV.txt"), earlier);
    ExpectInputsUnchanged("full disk for the output");
}

TEST_F(BadInputTest, FullDiskWhileWritingTheWorkFileIsReported)
{
    constexpr rlim_t LIMIT = 4096;
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}, {"big.idf", [] {
                                                                        std::string text =
                                                                            "primary_data\r\n1\r\n1\r\n";
                                                                        while (text.size() < 100000)
                                                                            text += "0.125 0.25 0.5\r\n";
                                                                        return text;
                                                                    }}});
    ProcessResult result;
    {
        testutil::ScopedFileSizeLimit limit(LIMIT);
        result = Run({"a.idf", "big.idf"}, Dir());
    }
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, Progress(PathOf("a.idf")));
    EXPECT_EQ(result.err, At(Stopped("@/big.idf", "cannot read or write 123.xqrtmp: File too large", 0, 2,
                                     "2 files: 1 converted (11 rows), 1 failed"),
                             Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "a+IV.txt", "a.idf", "big.idf"}));
    EXPECT_EQ(fs::file_size("123.xqrtmp"), LIMIT);
    EXPECT_EQ(ReadFileBytes("a+IV.txt"),
              ReadFileBytes(fs::path(QUILLMERE_TEST_DATA) / "cli" / "area-1.0" / "sweep_cell_A_07+IV.txt"));
    ExpectInputsUnchanged("full disk for the work file");
}

TEST_F(BadInputTest, OutputPathThatIsAFolderStopsTheRunAndKeepsTheFolder)
{
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}});
    fs::create_directory("a+IV.txt");
    const ProcessResult result = Run({"a.idf"}, Dir());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    // A finished output would take the folder's place: the name is refused
    // before the input is filtered, so no work file is made.
    EXPECT_EQ(result.err, At(Stopped("@/a.idf", "refusing to use @/a+IV.txt: " + std::string(NAME_TAKEN), 0,
                                     1, "1 file: 0 converted (0 rows), 1 failed"),
                             Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a+IV.txt/", "a.idf"}));
    EXPECT_TRUE(fs::is_empty("a+IV.txt"));
    ExpectInputsUnchanged("output is a folder");
}

TEST_F(BadInputTest, CurrentFolderWithoutRoomForTheWorkFileStopsBeforeAnyOutput)
{
    // Not even root may create a file among a process's own entries in /proc.
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}});
    const ProcessResult result = Run({PathOf("a.idf")}, "/proc/self");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, At(Stopped("@/a.idf", "cannot open 123.xqrtmp: No such file or directory", 0, 1,
                                     "1 file: 0 converted (0 rows), 1 failed"),
                             Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a.idf"}));
    ExpectInputsUnchanged("no room for the work file");
}

// ---- things that change while the program runs ----------------------------------

// The folder of the input, moved away as soon as the converter opens the
// work file: the output then has no folder to go to.
std::string g_movedFolder;

int OpenAndMoveFolder(const char* path, int flags, mode_t mode)
{
    if (std::strcmp(path, WORK_FILE_NAME) == 0 && (flags & O_ACCMODE) == O_RDONLY && !g_movedFolder.empty()) {
        fs::rename(g_movedFolder, g_movedFolder + "-gone");
        g_movedFolder.clear();
    }
    return RealSysIo().open(path, flags, mode);
}

TEST_F(BadInputTest, OutputFolderThatVanishedIsReported)
{
    Make({{"run/a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}});
    const std::uint64_t checksum = m_inputs["run/a.idf"];
    m_inputs.clear();
    ScopedSysIo restore;
    g_movedFolder = PathOf("run");
    Sys().open = OpenAndMoveFolder;
    const ProcessResult result = RunHere({"run/a.idf"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, At(Stopped("@/run/a.idf", "cannot open @/run/a+IV.txt: No such file or directory",
                                     0, 1, "1 file: 0 converted (0 rows), 1 failed"),
                             Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "run-gone/"}));
    EXPECT_EQ(testutil::FileChecksum("run-gone/a.idf"), checksum);
    // Neither the output nor its unfinished file was made.
    EXPECT_EQ(std::distance(fs::directory_iterator("run-gone"), fs::directory_iterator()), 1);
}

// The input, changed by someone else after the filter's first read.
std::string g_changedInput;
std::string g_changedTo;
std::size_t g_firstRead = 0;

size_t ReadAndChangeInput(void* buffer, size_t size, size_t count, FILE* stream)
{
    const size_t got = RealSysIo().fread(buffer, size, count, stream);
    if (!g_changedInput.empty()) {
        g_firstRead = got * size;
        WriteFileBytes(g_changedInput, g_changedTo);
        g_changedInput.clear();
    }
    return got;
}

// The rows of a sweep's text: its lines that hold anything, less the
// marker, the header and the count. A line cut off at the end counts.
long long DataLines(const std::string& text)
{
    long long lines = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        if (end > at) ++lines;
        at = end + 2;
    }
    return lines - 3;
}

TEST_F(BadInputTest, InputThatChangesSizeWhileItIsReadConvertsWhatWasRead)
{
    // Big enough that the filter reads it in more than one piece, with a
    // count beyond the points that survive a shrinking.
    std::string sweep = "primary_data\r\nV A s\r\n20000\r\n";
    for (int i = 0; sweep.size() < 300000; ++i) sweep += std::to_string(i) + " 0.25 2\r\n";
    struct Case {
        const char* name;
        std::string changedTo;
        // How much of the original the filter copies, given its first read.
        std::function<std::size_t(std::size_t firstRead)> copied;
    } const cases[] = {
        // Bytes past the length taken at the start are never copied.
        {"grows", sweep + std::string(100000, '7'), [&](std::size_t) { return sweep.size(); }},
        // The copy ends where the file now ends.
        {"shrinks", sweep.substr(0, 150000), [](std::size_t) { return std::size_t{150000}; }},
        {"is emptied", "", [](std::size_t firstRead) { return firstRead; }},
    };
    for (const Case& c : cases) {
        WriteFileBytes("a.idf", sweep);
        ProcessResult result;
        {
            ScopedSysIo restore;
            g_changedInput = PathOf("a.idf");
            g_changedTo = c.changedTo;
            Sys().fread = ReadAndChangeInput;
            result = RunHere({"a.idf"});
        }
        const std::size_t copied = c.copied(g_firstRead);
        ASSERT_LT(g_firstRead, sweep.size()) << c.name << ": read in one piece";
        // The rows that were copied and no more: a sweep cut short by the
        // change says how many of its announced points it holds.
        const long long rows = std::min(DataLines(sweep.substr(0, copied)), 20000LL);
        const std::string err =
            rows == 20000 ? ErrLine("1 file: 1 converted (20,000 rows)")
                          : Warning(PathOf("a.idf"), "short sweep: only " + std::to_string(rows) +
                                                         " of the 20000 announced points are in the file") +
                                ErrLine("1 file: 0 converted (0 rows), 1 short (" + Grouped(rows) + " rows)");
        // 3, once 0, for a sweep that the change cut short.
        EXPECT_EQ(result.exitStatus, rows == 20000 ? 0 : 3) << c.name;
        EXPECT_EQ(result.out, Progress(PathOf("a.idf"))) << c.name;
        EXPECT_EQ(result.err, err) << c.name;
        EXPECT_FALSE(Exists(WORK_FILE_NAME)) << c.name;
        EXPECT_EQ(ReadFileBytes("a.idf"), c.changedTo) << c.name << ": the program changed the input";

        // The same conversion of exactly the bytes that were copied.
        WriteFileBytes("ref/a.idf", sweep.substr(0, copied));
        ASSERT_EQ(RunHere({"ref/a.idf"}).exitStatus, rows == 20000 ? 0 : 3);
        const std::string output = ReadFileBytes("a+IV.txt");
        EXPECT_EQ(output, ReadFileBytes("ref/a+IV.txt")) << c.name;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), rows) << c.name;
    }
}

}  // namespace

#else

TEST(BadInputTest, NeedsTheProgramOnAPosixSystem)
{
    GTEST_SKIP() << "quillmere-convert is not part of this build, or the system is not POSIX";
}

#endif
