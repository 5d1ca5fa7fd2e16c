// The messages that list files, pairs of files or folders. Each is built
// one way: the caller's opening words, one line per item up to a limit,
// then "... and N more"; every line ends in CR LF, as a message box shows
// it (the command line turns the line ends into its own).
#pragma once

#include <string>
#include <vector>

#include "batch/batch_checks.h"
#include "batch/dropped_files.h"
#include "engine/convert_file.h"
#include "platform/cstring.h"

// The line end of every message.
inline constexpr const char* MESSAGE_LINE_END = "\r\n";

// `opening`, then each of the first `maxListed` items followed by a line
// end, then "... and N more" and a line end for the rest.
CString ListMessage(const CString& opening, const std::vector<CString>& items, std::size_t maxListed);

// `first` and `second` as paragraphs of one message, a blank line between
// them; either may be empty, and then the other stands alone.
CString JoinParagraphs(const CString& first, const CString& second);

// Pairs listed in the collision message; the rest are counted.
inline constexpr std::size_t MAX_LISTED_COLLISIONS = 10;
// Files listed in the message about files that gave no full output.
inline constexpr std::size_t MAX_LISTED_PROBLEMS = 20;
// Folders listed in the message about dropped folders that gave no job.
inline constexpr std::size_t MAX_LISTED_FOLDERS = 20;

// What the dialog's user can do about collisions.
inline constexpr const char* DIALOG_COLLISION_ADVICE =
    "Untick \"Reduce File Name\", or press \"Clear\" and pick the files again, leaving out one "
    "file of each pair.";

// The message that lists the collisions and ends with `advice`, what the
// user can do.
CString CollisionMessage(const std::vector<OutputCollision>& collisions,
                         const char* advice = DIALOG_COLLISION_ADVICE);

// The files of `outcomes` that gave no data, fewer points than announced,
// or were not converted, each with the reason, after a sentence that counts
// them and begins with `opening` ("Before the stop, " and the like; the
// sentence starts with a capital when there is none). Empty when every
// file converted.
CString ProblemFilesMessage(const std::vector<FileOutcome>& outcomes, const char* opening = "");

// Files listed in the message about files that lost small values.
inline constexpr std::size_t MAX_LISTED_SMALL_VALUES = 20;

// The files of `outcomes` that lost small values to the six-decimal form,
// each with its warning, after "These files lost small values:"; empty when
// none did.
CString SmallValuesMessage(const std::vector<FileOutcome>& outcomes);

// The message for a run that a file error stopped at `inputPath`: the
// reason, then what the files before it gave short of a full output.
CString StoppedRunMessage(const CString& inputPath, const CString& reason,
                          const std::vector<FileOutcome>& before);

// The one message about dropped folders that gave no job; empty when there are none.
CString SkippedFoldersMessage(const std::vector<SkippedFolder>& skipped);
