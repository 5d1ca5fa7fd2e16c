#include "platform/file_status.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/os_error.h"
#include "platform/pending_delete_win.h"
#include "platform/sysio.h"

namespace {

FileKind KindOf(DWORD attributes, bool followLinks)
{
    if (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return FileKind::link;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileKind::directory;
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return FileKind::other;
    }
    return FileKind::regular;
}

bool IsMissing(long error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

long StatusOnce(const char* path, bool followLinks, FileStatus& status)
{
    status = FileStatus{};
    const DWORD attributes = Sys().getFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const long failure = LastSystemError();
        return IsMissing(failure) ? 0 : failure;
    }
    status.kind = KindOf(attributes, followLinks);
    if (status.kind != FileKind::regular) {
        return 0;
    }
    // The identity needs an open handle; one without access rights that
    // shares everything disturbs no other user of the file.
    const std::intptr_t handle =
        Sys().createFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (handle == -1) {
        const long failure = LastSystemError();
        if (IsMissing(failure)) {
            status = FileStatus{};  // gone since its attributes were read
            return 0;
        }
        return failure;
    }
    SysFileId id{};
    const bool known = Sys().getFileId(handle, &id) != 0;
    const long failure = known ? 0 : LastSystemError();
    Sys().closeHandle(handle);
    status.device = id.volume;
    status.index = id.index;
    status.links = id.links;
    return failure;
}

}  // namespace

long GetFileStatus(const char* path, bool followLinks, FileStatus& status)
{
    // A file whose deletion waits for its last handle refuses to be looked
    // at until then; afterwards it is missing.
    for (int attempt = 0;; ++attempt) {
        const long failure = StatusOnce(path, followLinks, status);
        if (failure != ERROR_ACCESS_DENIED || attempt == PENDING_DELETE_RETRIES) {
            return failure;
        }
        Sleep(PENDING_DELETE_PAUSE_MS);
    }
}

long ReplaceFileByName(const char* from, const char* to)
{
    if (Sys().replace(from, to) == 0) {
        return 0;
    }
    const long failure = LastSystemError();
    return failure != 0 ? failure : ERROR_GEN_FAILURE;
}

std::size_t LongestNameBeside(const char* path)
{
    // One name takes 255 characters; a whole path, through the calls this
    // system makes, MAX_PATH less its terminating zero.
    constexpr std::size_t NAME_LIMIT = 255;
    constexpr std::size_t PATH_LIMIT = MAX_PATH - 1;
    const std::size_t length = std::strlen(path);
    std::size_t folder = length;
    while (folder > 0 && path[folder - 1] != '\\' && path[folder - 1] != '/' && path[folder - 1] != ':') {
        --folder;
    }
    if (length > PATH_LIMIT || folder >= PATH_LIMIT) {
        return NAME_LIMIT;
    }
    return std::min(NAME_LIMIT, PATH_LIMIT - folder);
}
