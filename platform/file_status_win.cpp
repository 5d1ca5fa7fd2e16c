#include "platform/file_status.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/os_error.h"
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

}  // namespace

long GetFileStatus(const char* path, bool followLinks, FileStatus& status)
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
        return LastSystemError();
    }
    SysFileId id{};
    const bool known = Sys().getFileId(handle, &id) != 0;
    const long failure = known ? 0 : LastSystemError();
    Sys().closeHandle(handle);
    status.device = id.volume;
    status.index = id.index;
    return failure;
}

long ReplaceFileByName(const char* from, const char* to)
{
    if (Sys().replace(from, to) == 0) {
        return 0;
    }
    const long failure = LastSystemError();
    return failure != 0 ? failure : ERROR_GEN_FAILURE;
}
