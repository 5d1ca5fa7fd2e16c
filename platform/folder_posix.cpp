// Folder listing on POSIX systems: opendir and readdir, with stat telling
// files from everything else.
#include "platform/folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <cerrno>

namespace {

enum class EntryKind { file, folder, other };

// A link counts as the file it names, so a link to a data file is that
// file; a link to a folder is not entered.
EntryKind KindOfPath(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return EntryKind::other;
    }
    if (S_ISDIR(st.st_mode)) {
        return EntryKind::folder;
    }
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) {
        return EntryKind::other;
    }
    return S_ISREG(st.st_mode) ? EntryKind::file : EntryKind::other;
}

// The entry's own type where the directory gives it saves a stat call per
// file, which counts on a network share; links and unknown types are looked up.
EntryKind KindOfEntry(const std::string& folder, const dirent& entry)
{
#ifdef _DIRENT_HAVE_D_TYPE
    if (entry.d_type == DT_REG) {
        return EntryKind::file;
    }
    if (entry.d_type == DT_DIR) {
        return EntryKind::folder;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return EntryKind::other;
    }
#endif
    return KindOfPath(PathInFolder(folder, entry.d_name));
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
        if (IsDotEntry(entry->d_name)) {
            continue;
        }
        switch (KindOfEntry(path, *entry)) {
            case EntryKind::file:
                listing.fileNames.emplace_back(entry->d_name);
                break;
            case EntryKind::folder:
                listing.folderNames.emplace_back(entry->d_name);
                break;
            case EntryKind::other:
                break;
        }
    }
    ::closedir(dir);
}
