#include "platform/wildcards.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// The plain files of `dir` that the system's own matching offers for
// `pattern`, hidden and system files left out as the command prompt's
// listing leaves them out.
std::vector<std::string> ListFolder(const std::string& dir, const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((dir + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    constexpr DWORD SKIPPED = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if ((found.dwFileAttributes & SKIPPED) == 0) {
            names.emplace_back(found.cFileName);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

}  // namespace

WildcardExpansion ExpandCommandLineWildcards(const std::vector<std::string>& args)
{
    // The system also matches a pattern against short 8.3 names ("*.idf"
    // finds "a.idfx" through "A~1.IDF"); the caller's check of each long
    // name drops those.
    return ExpandWildcardsWith(args, ListFolder);
}
