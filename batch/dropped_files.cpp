// Dropped paths become job paths: a folder is opened once and its data
// files take its place.
#include "batch/dropped_files.h"

#include <algorithm>
#include <iterator>

#include "engine/convert_file.h"
#include "platform/folder.h"

namespace {

// Adds the data files of the folder `path` that `listing` found, sorted by
// name, then, when `recursive`, those of each subfolder in turn, sorted by
// name; returns how many were added. A subfolder that cannot be read is
// named in `result`, since files in it were missed.
std::size_t AddFolder(const std::string& path, const FolderListing& listing, bool recursive,
                      DroppedFiles& result)
{
    std::vector<std::string> names;
    std::copy_if(listing.fileNames.begin(), listing.fileNames.end(), std::back_inserter(names),
                 IsDataFileName);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        result.jobPaths.push_back(PathInFolder(path, name));
    }
    std::size_t added = names.size();
    if (!recursive) {
        return added;
    }
    std::vector<std::string> folders = listing.folderNames;
    std::sort(folders.begin(), folders.end());
    for (const std::string& name : folders) {
        const std::string folder = PathInFolder(path, name);
        const FolderListing inner = ListFolderFiles(folder);
        if (inner.error != 0) {
            result.skippedFolders.push_back({folder, inner.error});
            continue;
        }
        added += AddFolder(folder, inner, recursive, result);
    }
    return added;
}

}  // namespace

bool IsDataFileName(const std::string& name)
{
    const CString text(name);
    return HasMarker(text, IV_MARKER) || HasMarker(text, EIS_MARKER);
}

DroppedFiles ExpandDroppedPaths(const std::vector<std::string>& dropped, bool recursive)
{
    DroppedFiles result;
    for (const std::string& path : dropped) {
        const FolderListing listing = ListFolderFiles(path);
        if (!listing.isFolder) {
            result.jobPaths.push_back(path);
            continue;
        }
        if (listing.error != 0) {
            result.skippedFolders.push_back({path, listing.error});
            continue;
        }
        // A folder that adds nothing is named before its subfolders that could not be read.
        const std::size_t skippedBefore = result.skippedFolders.size();
        if (AddFolder(path, listing, recursive, result) == 0) {
            result.skippedFolders.insert(result.skippedFolders.begin() + static_cast<long>(skippedBefore),
                                         {path, 0});
        }
    }
    return result;
}
