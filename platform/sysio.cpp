#include "platform/sysio.h"

SysIo& Sys()
{
    static SysIo table = RealSysIo();
    return table;
}
