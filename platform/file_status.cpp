// What every system shares of looking at paths.
#include "platform/file_status.h"

#include "platform/file_exception.h"

FileStatus StatusOrThrow(const char* path, bool followLinks)
{
    FileStatus status;
    const long failure = GetFileStatus(path, followLinks, status);
    if (failure != 0) {
        AfxThrowOsError(failure, path);
    }
    return status;
}

bool IsSameFile(const FileStatus& a, const FileStatus& b)
{
    return a.kind != FileKind::missing && b.kind != FileKind::missing && a.device == b.device &&
           a.index == b.index;
}
