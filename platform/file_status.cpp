#include "platform/file_status.h"

bool IsSameFile(const FileStatus& a, const FileStatus& b)
{
    return a.kind != FileKind::missing && b.kind != FileKind::missing && a.device == b.device &&
           a.index == b.index;
}
