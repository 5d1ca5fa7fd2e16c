// Messages that list files, pairs and folders.
#include "batch/messages.h"

#include <cctype>

#include "platform/os_error.h"

namespace {

constexpr const char* NO_DATA_REASON = "no data files (names with \".idf\" or \".csv\")";

CString ReasonFor(const SkippedFolder& skipped)
{
    return skipped.error == 0 ? CString(NO_DATA_REASON) : OsErrorReason(skipped.error);
}

// `rest` after `opening`, or with its first letter in capitals when there is no opening.
CString Sentence(const char* opening, std::string rest)
{
    if (*opening == '\0' && !rest.empty()) {
        rest[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
    }
    return CString(opening) + rest.c_str();
}

}  // namespace

CString ListMessage(const CString& opening, const std::vector<CString>& items, std::size_t maxListed)
{
    CString text = opening;
    for (std::size_t i = 0; i < items.size() && i < maxListed; ++i) {
        text += items[i];
        text += MESSAGE_LINE_END;
    }
    if (items.size() > maxListed) {
        text += ("... and " + std::to_string(items.size() - maxListed) + " more").c_str();
        text += MESSAGE_LINE_END;
    }
    return text;
}

CString JoinParagraphs(const CString& first, const CString& second)
{
    if (first.IsEmpty() || second.IsEmpty()) {
        return first + second;
    }
    CString text = first;
    if (!text.str().ends_with(MESSAGE_LINE_END)) {
        text += MESSAGE_LINE_END;
    }
    text += MESSAGE_LINE_END;
    return text + second;
}

CString CollisionMessage(const std::vector<OutputCollision>& collisions, const char* advice)
{
    std::vector<CString> pairs;
    for (const OutputCollision& collision : collisions) {
        pairs.push_back(collision.firstInput + MESSAGE_LINE_END + collision.secondInput + MESSAGE_LINE_END +
                        "    both give " + collision.output);
    }
    CString text = ListMessage(
        "Nothing was converted: different files would be written to the same output file, and "
        "each would replace the one before.\r\n\r\n",
        pairs, MAX_LISTED_COLLISIONS);
    text += MESSAGE_LINE_END;
    text += advice;
    return text;
}

CString ProblemFilesMessage(const std::vector<FileOutcome>& outcomes, const char* opening)
{
    std::vector<CString> problems;
    for (const FileOutcome& outcome : outcomes) {
        if (outcome.result != FileResult::converted) {
            problems.push_back(outcome.input + ": " + outcome.message);
        }
    }
    if (problems.empty()) {
        return CString();
    }
    const std::string count = outcomes.size() == 1 ? std::string("the file")
                                                   : std::to_string(problems.size()) + " of the " +
                                                         std::to_string(outcomes.size()) + " files";
    const CString heading = Sentence(opening, count + " gave no full output:\r\n\r\n");
    return ListMessage(heading, problems, MAX_LISTED_PROBLEMS);
}

CString SmallValuesMessage(const std::vector<FileOutcome>& outcomes)
{
    std::vector<CString> files;
    for (const FileOutcome& outcome : outcomes) {
        if (!outcome.smallValuesWarning.IsEmpty()) {
            files.push_back(outcome.input + ": " + outcome.smallValuesWarning);
        }
    }
    if (files.empty()) {
        return CString();
    }
    const char* heading =
        files.size() == 1 ? "This file lost small values:\r\n\r\n" : "These files lost small values:\r\n\r\n";
    return ListMessage(heading, files, MAX_LISTED_SMALL_VALUES);
}

CString StoppedRunMessage(const CString& inputPath, const CString& reason,
                          const std::vector<FileOutcome>& before)
{
    CString text;
    text.Format("The conversion stopped at %s.", inputPath.c_str());
    text = JoinParagraphs(text, reason);
    return JoinParagraphs(text, ProblemFilesMessage(before, "Before the stop, "));
}

CString SkippedFoldersMessage(const std::vector<SkippedFolder>& skipped)
{
    CString text;
    if (skipped.size() == 1) {
        text.Format("Nothing was added from the folder %s: %s.", skipped[0].folder.c_str(),
                    ReasonFor(skipped[0]).c_str());
        return text;
    }
    std::vector<CString> folders;
    for (const SkippedFolder& folder : skipped) {
        folders.push_back(CString(folder.folder) + ": " + ReasonFor(folder));
    }
    return skipped.empty()
               ? text
               : ListMessage("Nothing was added from these folders:\r\n", folders, MAX_LISTED_FOLDERS);
}
