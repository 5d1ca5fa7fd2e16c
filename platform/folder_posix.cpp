// Folder listing on POSIX systems: opendir and readdir, with stat telling
// files from everything else.
#include "platform/folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <cerrno>

namespace {

// Follows a link to what it names, so a link to a data file counts as that file.
bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The entry's own type where the directory gives it saves a stat call per
// file, which counts on a network share; links and unknown types are looked up.
bool IsRegularEntry(const std::string& folder, const dirent& entry)
{
#ifdef _DIRENT_HAVE_D_TYPE
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
#endif
    return IsRegularFile(PathInFolder(folder, entry.d_name));
}

bool IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

void ReadFolderFiles(const std::string& path, FolderListing& listing)
{
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        listing.error = errno;
        return;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            listing.error = errno;
            break;
        }
        if (!IsDotEntry(entry->d_name) && IsRegularEntry(path, *entry)) {
            listing.fileNames.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
}
