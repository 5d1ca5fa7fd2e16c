// Dropped paths become job paths: a folder is opened once and its data
// files take its place.
#include "batch/dropped_files.h"

#include <algorithm>
#include <iterator>

#include "engine/convert_file.h"
#include "platform/folder.h"

bool IsDataFileName(const std::string& name)
{
    const CString text(name);
    return HasMarker(text, IV_MARKER) || HasMarker(text, EIS_MARKER);
}

DroppedFiles ExpandDroppedPaths(const std::vector<std::string>& dropped)
{
    DroppedFiles result;
    for (const std::string& path : dropped) {
        const FolderListing listing = ListFolderFiles(path);
        if (!listing.isFolder) {
            result.jobPaths.push_back(path);
            continue;
        }
        std::vector<std::string> names;
        if (listing.error == 0) {
            std::copy_if(listing.fileNames.begin(), listing.fileNames.end(), std::back_inserter(names),
                         IsDataFileName);
        }
        if (names.empty()) {
            result.skippedFolders.push_back({path, listing.error});
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            result.jobPaths.push_back(PathInFolder(path, name));
        }
    }
    return result;
}
