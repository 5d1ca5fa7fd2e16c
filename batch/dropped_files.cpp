// Dropped paths become job paths: a folder is opened once and its data
// files take its place.
#include "batch/dropped_files.h"

#include <algorithm>
#include <iterator>

#include "engine/convert_file.h"
#include "platform/folder.h"
#include "platform/os_error.h"

namespace {

// Folders named one by one in the message; the rest are counted.
constexpr std::size_t MAX_LISTED_FOLDERS = 20;

constexpr const char* NO_DATA_REASON = "no data files (names with \".idf\" or \".csv\")";

// A marker at index 0 does not count, as in the conversion entry's test.
bool HasMarker(const CString& name, const char* marker)
{
    return name.Find(marker) > 0;
}

CString ReasonFor(const SkippedFolder& skipped)
{
    return skipped.error == 0 ? CString(NO_DATA_REASON) : OsErrorReason(skipped.error);
}

}  // namespace

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

CString SkippedFoldersMessage(const std::vector<SkippedFolder>& skipped)
{
    CString text;
    if (skipped.empty()) {
        return text;
    }
    if (skipped.size() == 1) {
        text.Format("Nothing was added from the folder %s: %s.", skipped[0].folder.c_str(),
                    ReasonFor(skipped[0]).c_str());
        return text;
    }
    text = "Nothing was added from these folders:";
    const std::size_t listed = std::min(skipped.size(), MAX_LISTED_FOLDERS);
    for (std::size_t i = 0; i < listed; ++i) {
        CString line;
        line.Format("\n%s: %s", skipped[i].folder.c_str(), ReasonFor(skipped[i]).c_str());
        text += line;
    }
    if (skipped.size() > listed) {
        CString more;
        more.Format("\n... and %d more.", static_cast<int>(skipped.size() - listed));
        text += more;
    }
    return text;
}
