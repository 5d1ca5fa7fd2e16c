// Folder listing on Windows: FindFirstFileA and FindNextFileA over "folder\*".
#include "platform/folder.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// Everything that is not a folder or a device counts as a file; a link to a
// folder carries the folder attribute and is left out with the folders.
bool IsFile(const WIN32_FIND_DATAA& found)
{
    return (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// A folder of its own: not "." or "..", and not a link or junction, which
// could lead round in a circle.
bool IsOwnFolder(const WIN32_FIND_DATAA& found)
{
    const char* name = found.cFileName;
    const bool dots = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && !dots;
}

}  // namespace

void ReadFolderFiles(const std::string& path, FolderListing& listing)
{
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(PathInFolder(path, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD failure = ::GetLastError();
        listing.error = failure == ERROR_FILE_NOT_FOUND ? 0 : static_cast<long>(failure);
        return;
    }
    do {
        if (IsFile(found)) {
            listing.fileNames.emplace_back(found.cFileName);
        } else if (IsOwnFolder(found)) {
            listing.folderNames.emplace_back(found.cFileName);
        }
    } while (::FindNextFileA(search, &found));
    const DWORD failure = ::GetLastError();
    listing.error = failure == ERROR_NO_MORE_FILES ? 0 : static_cast<long>(failure);
    ::FindClose(search);
}
