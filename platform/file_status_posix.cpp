#include "platform/file_status.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string>

#include "platform/sysio.h"

namespace {

FileKind KindOf(mode_t mode)
{
    if (S_ISREG(mode)) {
        return FileKind::regular;
    }
    if (S_ISDIR(mode)) {
        return FileKind::directory;
    }
    if (S_ISLNK(mode)) {
        return FileKind::link;
    }
    return FileKind::other;
}

}  // namespace

long GetFileStatus(const char* path, bool followLinks, FileStatus& status)
{
    status = FileStatus{};
    struct stat st {};
    if ((followLinks ? Sys().stat(path, &st) : Sys().lstat(path, &st)) != 0) {
        const int failure = errno;
        // A missing folder on the way means the file is missing too.
        return failure == ENOENT || failure == ENOTDIR ? 0 : failure;
    }
    status.kind = KindOf(st.st_mode);
    status.device = static_cast<unsigned long long>(st.st_dev);
    status.index = static_cast<unsigned long long>(st.st_ino);
    status.links = static_cast<unsigned long long>(st.st_nlink);
    return 0;
}

long ReplaceFileByName(const char* from, const char* to)
{
    return Sys().replace(from, to) == 0 ? 0 : (errno != 0 ? errno : EIO);
}

std::size_t LongestNameBeside(const char* path)
{
    // What most file systems take, for a folder that cannot be asked.
    constexpr long USUAL_LIMIT = 255;
    const std::string text(path);
    const std::size_t slash = text.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : text.substr(0, slash));
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return static_cast<std::size_t>(limit > 0 ? limit : USUAL_LIMIT);
}
