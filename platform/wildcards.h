// File-name patterns on the command line. A POSIX shell expands them before
// the program starts; the Windows command prompt passes them on as typed,
// so there the program expands them itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// True when the last part of `path` (after its last / or \) holds * or ?.
bool HasWildcard(std::string_view path);

// True when `name` matches `pattern`: * stands for any run of characters,
// ? for exactly one; letters match regardless of case, as file names do
// on Windows.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// The arguments with each pattern replaced by the paths it matches, and the
// patterns that matched nothing.
struct WildcardExpansion {
    std::vector<std::string> args;
    std::vector<std::string> unmatched;
};

// Lists the names of the plain files in folder `dir` ("" for the current
// folder) whose names may match `pattern`; the caller checks each name.
using FolderLister =
    std::function<std::vector<std::string>(const std::string& dir, const std::string& pattern)>;

// Expands the file arguments of a quillmere-convert command line with
// `list`: every argument that is not an option, not the value after
// --area, and has a wildcard in its last part becomes the matching names,
// sorted regardless of case, each behind the folder part as typed. After
// "--" every argument is a file.
WildcardExpansion ExpandWildcardsWith(const std::vector<std::string>& args, const FolderLister& list);

// ExpandWildcardsWith the system's folder listing where the system leaves
// patterns to programs (Windows); elsewhere the arguments as they are.
WildcardExpansion ExpandCommandLineWildcards(const std::vector<std::string>& args);
