// quillmere-convert on inputs and surroundings that go wrong: for each, the
// exit status, the exact messages, what is left on disk, and that no input
// file changed.
#include <gtest/gtest.h>

#if defined(QUILLMERE_CONVERT_EXE) && !defined(_WIN32)

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "engine/convert_file.h"
#include "platform/sysio.h"
#include "support/cli_util.h"
#include "support/robust_util.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::Exists;
using testutil::ProcessResult;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;
using Args = std::vector<std::string>;

const fs::path SAMPLES = fs::path(QUILLMERE_SOURCE_DIR) / "samples";
constexpr const char* EIS_MISSING = "Can't find EIS data in the current file!\r\n";

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

// The two lines that end a run stopped by a file error.
std::string Stopped(const std::string& job, const std::string& reason, int notRun, int total)
{
    return "quillmere-convert: stopped at " + job + ": " + reason + "\nquillmere-convert: " +
           std::to_string(notRun) + " of " + std::to_string(total) + " jobs not run\n";
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
            if (value < 0x20 || value > 0x7E)
                bytes += static_cast<char>(value);
        }
    }
    return bytes;
}

// `text` as UTF-16, little- or big-endian, with or without a byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian, bool byteOrderMark)
{
    std::string bytes;
    if (byteOrderMark)
        bytes += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        if (bigEndian)
            bytes += '\0';
        bytes += c;
        if (!bigEndian)
            bytes += '\0';
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
    Args args;
    int exitStatus;
    std::string out;                   // "@" stands for the test folder
    std::string err;
    std::vector<std::string> left;     // the whole folder afterwards
    std::map<std::string, std::string> contents;  // exact bytes of files left
};

TEST_F(BadInputTest, InputsThatCannotBeConvertedAreReportedOrGiveEmptyOutputs)
{
    const std::string sweep = Sample("sweep_cell_A_07.idf");
    const std::string spectrum = Sample("impedance_cell_B_02.csv");
    const std::vector<InputCase> cases = {
        {"missing file", {}, {}, {"missing.idf"}, 1, "",
         Stopped("@/missing.idf", "cannot open @/missing.idf: No such file or directory", 1, 1),
         // The work file is locked before the input is opened, and a failed
         // pipeline leaves the work file, here still empty.
         {"123.xqrtmp"}, {{"123.xqrtmp", ""}}},
        {"directory given as a file", {}, {"data.idf"}, {"data.idf"}, 1, "",
         Stopped("@/data.idf", "cannot open @/data.idf: Is a directory", 1, 1), {"123.xqrtmp", "data.idf/"},
         {{"123.xqrtmp", ""}}},
        {"empty files", {{"e.idf", [] { return ""; }}, {"f.csv", [] { return ""; }}}, {}, {"e.idf", "f.csv"}, 0,
         Progress("@/e.idf") + Progress("@/f.csv"), "", {"e+IV.txt", "e.idf", "f+IV.txt", "f.csv"},
         {{"e+IV.txt", ""}, {"f+IV.txt", ""}}},
        {"only separators", {{"s.idf", OnlySeparators}, {"t.csv", OnlySeparators}}, {}, {"s.idf", "t.csv"}, 0,
         Progress("@/s.idf") + Progress("@/t.csv"), "", {"s+IV.txt", "s.idf", "t+IV.txt", "t.csv"},
         {{"s+IV.txt", ""}, {"t+IV.txt", ""}}},
        {"zero bytes throughout",
         {{"z.idf", [] { return std::string(1 << 20, '\0'); }}, {"y.csv", [] { return std::string(1 << 20, '\0'); }}},
         {}, {"z.idf", "y.csv"}, 0, Progress("@/z.idf") + Progress("@/y.csv"), "",
         {"y+IV.txt", "y.csv", "z+IV.txt", "z.idf"}, {{"z+IV.txt", ""}, {"y+IV.txt", ""}}},
        // UTF-16 puts every character on a line of its own: no line says
        // "primary_data", and no row has a field 2.
        {"UTF-16 with byte-order mark",
         {{"u.idf", [&] { return Utf16(sweep, false, true); }}, {"v.csv", [&] { return Utf16(spectrum, false, true); }}},
         {}, {"u.idf", "v.csv"}, 0, Progress("@/u.idf") + Progress("@/v.csv"),
         "quillmere-convert: @/v.csv: " + std::string(EIS_MISSING), {"u+IV.txt", "u.idf", "v+IV.txt", "v.csv"},
         {{"u+IV.txt", ""}, {"v+IV.txt", ""}}},
        {"UTF-16 without byte-order mark",
         {{"u.idf", [&] { return Utf16(sweep, false, false); }}, {"v.csv", [&] { return Utf16(spectrum, false, false); }}},
         {}, {"u.idf", "v.csv"}, 0, Progress("@/u.idf") + Progress("@/v.csv"),
         "quillmere-convert: @/v.csv: " + std::string(EIS_MISSING), {"u+IV.txt", "u.idf", "v+IV.txt", "v.csv"},
         {{"u+IV.txt", ""}, {"v+IV.txt", ""}}},
        {"UTF-16 big-endian with byte-order mark",
         {{"u.idf", [&] { return Utf16(sweep, true, true); }}, {"v.csv", [&] { return Utf16(spectrum, true, true); }}},
         {}, {"u.idf", "v.csv"}, 0, Progress("@/u.idf") + Progress("@/v.csv"),
         "quillmere-convert: @/v.csv: " + std::string(EIS_MISSING), {"u+IV.txt", "u.idf", "v+IV.txt", "v.csv"},
         {{"u+IV.txt", ""}, {"v+IV.txt", ""}}},
    };
    for (const InputCase& c : cases) {
        for (const fs::directory_entry& entry : fs::directory_iterator(Dir()))
            fs::remove_all(entry.path());
        m_inputs.clear();
        Make(c.files);
        for (const char* folder : c.folders)
            fs::create_directory(folder);
        const ProcessResult result = Run(c.args, Dir());
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.name;
        EXPECT_EQ(result.out, At(c.out, Dir())) << c.name;
        EXPECT_EQ(result.err, At(c.err, Dir())) << c.name;
        EXPECT_EQ(Listing(), c.left) << c.name;
        for (const auto& [name, bytes] : c.contents)
            EXPECT_EQ(ReadFileBytes(name), bytes) << c.name << ": " << name;
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
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, Progress(PathOf("long.idf")));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Listing(), (std::vector<std::string>{"long+IV.txt", "long.idf"}));
    EXPECT_EQ(ReadFileBytes("long+IV.txt"), "");
    ExpectInputsUnchanged("long line");
}

// ---- a point count of 2147483647 ----------------------------------------------

const std::string HUGE_COUNT = "primary_data\r\nV A s\r\n2147483647\r\n1 2 3\r\n";
const std::string REPEATED_LINE = "1.000000,-2000.000000,3.000000\r\n";

TEST_F(BadInputTest, HugeCountRunsUntilTheFileSizeLimitStopsItAndSaysSo)
{
    constexpr rlim_t LIMIT = 8u << 20;
    Make({{"huge.idf", [] { return HUGE_COUNT; }}});
    ProcessResult result;
    {
        testutil::ScopedFileSizeLimit limit(LIMIT);
        result = Run({"huge.idf"}, Dir());
    }
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, At(Stopped("@/huge.idf", "cannot write @/huge+IV.txt: File too large", 1, 1), Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "huge+IV.txt", "huge.idf"}));
    // Every line up to the limit, the last one cut where the limit fell.
    const std::string output = ReadFileBytes("huge+IV.txt");
    EXPECT_EQ(output.size(), LIMIT);
    for (std::size_t at = 0; at < output.size(); at += REPEATED_LINE.size())
        ASSERT_EQ(output.compare(at, REPEATED_LINE.size(), REPEATED_LINE, 0, output.size() - at), 0) << at;
    ExpectInputsUnchanged("huge count");
}

TEST_F(BadInputTest, HugeCountIntoAFullDiskStopsAtOnce)
{
    Make({{"huge.idf", [] { return HUGE_COUNT; }}});
    fs::create_symlink("/dev/full", "huge+IV.txt");
    const ProcessResult result = Run({"huge.idf"}, Dir());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              At(Stopped("@/huge.idf", "cannot write @/huge+IV.txt: No space left on device", 1, 1), Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "huge+IV.txt@", "huge.idf"}));
    ExpectInputsUnchanged("huge count, full disk");
}

// ---- where the outputs and the work file go -------------------------------------

TEST_F(BadInputTest, FullDiskWhileWritingTheOutputIsReported)
{
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}, {"b.idf", [] { return HUGE_COUNT; }}});
    fs::create_symlink("/dev/full", "a+IV.txt");
    const ProcessResult result = Run({"a.idf", "b.idf"}, Dir());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, At(Stopped("@/a.idf", "cannot write @/a+IV.txt: No space left on device", 2, 2), Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "a+IV.txt@", "a.idf", "b.idf"}));
    ExpectInputsUnchanged("full disk for the output");
}

TEST_F(BadInputTest, FullDiskWhileWritingTheWorkFileIsReported)
{
    constexpr rlim_t LIMIT = 4096;
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}, {"big.idf", [] {
              std::string text = "primary_data\r\n1\r\n1\r\n";
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
    EXPECT_EQ(result.err,
              At(Stopped("@/big.idf", "cannot read or write 123.xqrtmp: File too large", 1, 2), Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "a+IV.txt", "a.idf", "big.idf"}));
    EXPECT_EQ(fs::file_size("123.xqrtmp"), LIMIT);
    EXPECT_EQ(ReadFileBytes("a+IV.txt"), ReadFileBytes(fs::path(QUILLMERE_TEST_DATA) / "cli" / "area-1.0" /
                                                       "sweep_cell_A_07+IV.txt"));
    ExpectInputsUnchanged("full disk for the work file");
}

TEST_F(BadInputTest, OutputPathThatIsAFolderStopsTheRunAndKeepsTheFolder)
{
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}});
    fs::create_directory("a+IV.txt");
    const ProcessResult result = Run({"a.idf"}, Dir());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, At(Stopped("@/a.idf", "cannot open @/a+IV.txt: Is a directory", 1, 1), Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "a+IV.txt/", "a.idf"}));
    EXPECT_TRUE(fs::is_empty("a+IV.txt"));
    // The filter had finished: the work file holds the whole filtered input.
    EXPECT_NE(ReadFileBytes("123.xqrtmp").find("primary_data\r\n3\r\n11\r\n"), std::string::npos);
    ExpectInputsUnchanged("output is a folder");
}

TEST_F(BadInputTest, CurrentFolderWithoutRoomForTheWorkFileStopsBeforeAnyOutput)
{
    // Not even root may create a file among a process's own entries in /proc.
    Make({{"a.idf", [] { return Sample("sweep_cell_A_07.idf"); }}});
    const ProcessResult result = Run({PathOf("a.idf")}, "/proc/self");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, At(Stopped("@/a.idf", "cannot open 123.xqrtmp: No such file or directory", 1, 1), Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a.idf"}));
    ExpectInputsUnchanged("no room for the work file");
}

// ---- things that change while the program runs ----------------------------------

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
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
            text->append(buffer, n);
        std::fclose(stream);
    }
    return result;
}

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
    EXPECT_EQ(result.err,
              At(Stopped("@/run/a.idf", "cannot open @/run/a+IV.txt: No such file or directory", 1, 1), Dir()));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"123.xqrtmp", "run-gone/"}));
    EXPECT_EQ(testutil::FileChecksum("run-gone/a.idf"), checksum);
    EXPECT_FALSE(Exists("run-gone/a+IV.txt"));
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

TEST_F(BadInputTest, InputThatChangesSizeWhileItIsReadConvertsWhatWasRead)
{
    // Big enough that the filter reads it in more than one piece, with a
    // count beyond the points that survive a shrinking.
    std::string sweep = "primary_data\r\nV A s\r\n20000\r\n";
    for (int i = 0; sweep.size() < 300000; ++i)
        sweep += std::to_string(i) + " 0.25 2\r\n";
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
        EXPECT_EQ(result.exitStatus, 0) << c.name;
        EXPECT_EQ(result.out, Progress(PathOf("a.idf"))) << c.name;
        EXPECT_EQ(result.err, "") << c.name;
        EXPECT_FALSE(Exists(WORK_FILE_NAME)) << c.name;
        EXPECT_EQ(ReadFileBytes("a.idf"), c.changedTo) << c.name << ": the program changed the input";

        // The same conversion of exactly the bytes that were copied.
        const std::size_t copied = c.copied(g_firstRead);
        ASSERT_LT(g_firstRead, sweep.size()) << c.name << ": read in one piece";
        WriteFileBytes("ref/a.idf", sweep.substr(0, copied));
        ASSERT_EQ(RunHere({"ref/a.idf"}).exitStatus, 0);
        EXPECT_EQ(ReadFileBytes("a+IV.txt"), ReadFileBytes("ref/a+IV.txt")) << c.name;
    }
}

}  // namespace

#else

TEST(BadInputTest, NeedsTheProgramOnAPosixSystem)
{
    GTEST_SKIP() << "quillmere-convert is not part of this build, or the system is not POSIX";
}

#endif
