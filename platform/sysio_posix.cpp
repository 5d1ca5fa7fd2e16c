#include "platform/sysio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

int OpenFile(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

const SysIo REAL_SYS_IO = {
    OpenFile, ::close,  ::fstat,  ::unlink, ::fdopen, ::fread, ::fwrite, ::fgets,  ::fputs,
    ::fseeko, ::ftello, ::fflush, ::fclose, ::flock,  ::stat,  ::lstat,  ::rename,
};

}  // namespace

const SysIo& RealSysIo()
{
    return REAL_SYS_IO;
}
