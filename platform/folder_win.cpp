// Folder listing on Windows: FindFirstFileA and FindNextFileA over "folder\*".
#include "platform/folder.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr char SEPARATOR = '\\';

bool EndsWithSeparator(const std::string& path)
{
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Everything that is not a folder or a device counts as a file; a link to a
// folder carries the folder attribute and is left out with the folders.
bool IsFile(const WIN32_FIND_DATAA& found)
{
    return (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace

FolderListing ListFolderFiles(const std::string& path)
{
    FolderListing listing;
    listing.isFolder = IsFolder(path);
    if (!listing.isFolder) {
        return listing;
    }
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(PathInFolder(path, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD failure = ::GetLastError();
        listing.error = failure == ERROR_FILE_NOT_FOUND ? 0 : static_cast<long>(failure);
        return listing;
    }
    do {
        if (IsFile(found)) {
            listing.fileNames.emplace_back(found.cFileName);
        }
    } while (::FindNextFileA(search, &found));
    const DWORD failure = ::GetLastError();
    listing.error = failure == ERROR_NO_MORE_FILES ? 0 : static_cast<long>(failure);
    ::FindClose(search);
    return listing;
}

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    if (EndsWithSeparator(folder)) {
        return folder + name;
    }
    return folder + SEPARATOR + name;
}
