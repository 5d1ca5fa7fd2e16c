// The messages that list files, pairs and folders: one opening, one line
// per item up to the limit, "... and N more", CR LF after every line.
#include "batch/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string NO_DATA_FILES = "no data files (names with \".idf\" or \".csv\")";

FileOutcome Outcome(const char* input, FileResult result, const char* message = "")
{
    FileOutcome outcome;
    outcome.input = input;
    outcome.result = result;
    outcome.message = message;
    return outcome;
}

// `count` files of which the first converted and the rest gave no data.
std::vector<FileOutcome> ManyOutcomes(int count)
{
    std::vector<FileOutcome> outcomes;
    for (int i = 0; i < count; ++i) {
        const std::string input = "/r/f" + std::to_string(i) + ".idf";
        outcomes.push_back(
            Outcome(input.c_str(), i == 0 ? FileResult::converted : FileResult::noData, "none"));
    }
    return outcomes;
}

std::string Lines(const char* prefix, int first, int last, const std::string& suffix)
{
    std::string text;
    for (int i = first; i <= last; ++i) {
        text += prefix + std::to_string(i) + suffix + "\r\n";
    }
    return text;
}

struct MessageCase {
    const char* what;
    CString actual;
    std::string expected;
};

TEST(MessagesTest, EachListsItsItemsThenCountsTheRest)
{
    const FileOutcome shortSweep = Outcome("/r/b.idf", FileResult::shortSweep, "only 3 of the 8");
    std::vector<SkippedFolder> folders;
    for (int i = 0; i < 23; ++i) {
        folders.push_back({"/f" + std::to_string(i), 0});
    }
    const std::vector<OutputCollision> pairs(12, {"/r/a_1.idf", "/r/b_1.idf", "/r/1+IV.txt"});
    std::string pairLines;
    for (int i = 0; i < 10; ++i) {
        pairLines += "/r/a_1.idf\r\n/r/b_1.idf\r\n    both give /r/1+IV.txt\r\n";
    }
    const MessageCase cases[] = {
        {"plain list", ListMessage("Head:\r\n", {"a", "b", "c"}, 2), "Head:\r\na\r\nb\r\n... and 1 more\r\n"},
        {"collisions", CollisionMessage(pairs, "Do this."),
         "Nothing was converted: different files would be written to the same output file, and each would "
         "replace the one before.\r\n\r\n" +
             pairLines + "... and 2 more\r\n\r\nDo this."},
        {"every file converted", ProblemFilesMessage({Outcome("/r/a.idf", FileResult::converted)}), ""},
        {"one file of one", ProblemFilesMessage({shortSweep}),
         "The file gave no full output:\r\n\r\n/r/b.idf: only 3 of the 8\r\n"},
        // The opening words lead the sentence, which then goes on in small letters.
        {"one file of one, after an opening", ProblemFilesMessage({shortSweep}, "Before the stop, "),
         "Before the stop, the file gave no full output:\r\n\r\n/r/b.idf: only 3 of the 8\r\n"},
        {"twenty listed, the rest counted", ProblemFilesMessage(ManyOutcomes(25)),
         "24 of the 25 files gave no full output:\r\n\r\n" + Lines("/r/f", 1, 20, ".idf: none") +
             "... and 4 more\r\n"},
        {"stop without earlier problems", StoppedRunMessage("/d/b.idf", "cannot open /d/b.idf: gone", {}),
         "The conversion stopped at /d/b.idf.\r\n\r\ncannot open /d/b.idf: gone"},
        {"stop after a short file",
         StoppedRunMessage("/d/c.idf", "why", {Outcome("/r/a.idf", FileResult::converted), shortSweep}),
         "The conversion stopped at /d/c.idf.\r\n\r\nwhy\r\n\r\nBefore the stop, 1 of the 2 files gave no "
         "full "
         "output:\r\n\r\n/r/b.idf: only 3 of the 8\r\n"},
        {"paragraphs", JoinParagraphs("One.", "Two."), "One.\r\n\r\nTwo."},
        {"paragraph after a list", JoinParagraphs(ListMessage("L:\r\n", {"a"}, 5), "Two."),
         "L:\r\na\r\n\r\nTwo."},
        {"empty paragraph", JoinParagraphs("", "Two."), "Two."},
        {"no skipped folder", SkippedFoldersMessage({}), ""},
        {"one skipped folder is a sentence", SkippedFoldersMessage({{"/lab/empty", 0}}),
         "Nothing was added from the folder /lab/empty: " + NO_DATA_FILES + "."},
        {"skipped folders, twenty listed", SkippedFoldersMessage(folders),
         "Nothing was added from these folders:\r\n" + Lines("/f", 0, 19, ": " + NO_DATA_FILES) +
             "... and 3 more\r\n"},
    };
    for (const MessageCase& c : cases) {
        EXPECT_EQ(c.actual.str(), c.expected) << c.what;
    }
}

}  // namespace
