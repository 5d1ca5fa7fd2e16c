// What the folder listings of every system share; each system reads the
// entries in folder_posix.cpp or folder_win.cpp.
#include "platform/folder.h"

#include "platform/file_status.h"
#include "platform/path_join.h"

FolderListing ListFolderFiles(const std::string& path)
{
    FolderListing listing;
    FileStatus status;
    listing.isFolder = GetFileStatus(path.c_str(), true, status) == 0 && status.kind == FileKind::directory;
    if (listing.isFolder) {
        ReadFolderFiles(path, listing);
    }
    return listing;
}

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    return JoinToFolder(folder, name);
}
