// The seam's Windows table: Win32 file calls, and the C runtime's own
// stream functions over the descriptors that wrap Win32 handles.
#include "platform/sysio.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>
#include <cerrno>

namespace {

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED AtOffset(unsigned long long offset)
{
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFull);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

std::intptr_t CreateFileCall(const char* path, unsigned long access, unsigned long share,
                             unsigned long disposition)
{
    // Handles are never inherited: a child process must not keep a file open
    // (nor its lock) after this process has closed it.
    HANDLE handle = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return reinterpret_cast<std::intptr_t>(handle);
}

int CloseHandleCall(std::intptr_t handle)
{
    return CloseHandle(AsHandle(handle));
}

int GetFileSizeExCall(std::intptr_t handle, long long* size)
{
    LARGE_INTEGER value{};
    const BOOL ok = GetFileSizeEx(AsHandle(handle), &value);
    *size = ok ? value.QuadPart : 0;
    return ok;
}

int GetFileIdCall(std::intptr_t handle, SysFileId* id)
{
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = GetFileInformationByHandle(AsHandle(handle), &info);
    id->volume = ok ? info.dwVolumeSerialNumber : 0;
    id->index = ok ? (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
    id->links = ok ? info.nNumberOfLinks : 0;
    return ok;
}

int LockFileExCall(std::intptr_t handle, unsigned long long offset, unsigned long long length, int wait)
{
    OVERLAPPED at = AtOffset(offset);
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return LockFileEx(AsHandle(handle), flags, 0, static_cast<DWORD>(length & 0xFFFFFFFFull),
                      static_cast<DWORD>(length >> 32), &at);
}

int UnlockFileExCall(std::intptr_t handle, unsigned long long offset, unsigned long long length)
{
    OVERLAPPED at = AtOffset(offset);
    return UnlockFileEx(AsHandle(handle), 0, static_cast<DWORD>(length & 0xFFFFFFFFull),
                        static_cast<DWORD>(length >> 32), &at);
}

int OpenOsfHandleCall(std::intptr_t handle, int flags)
{
    return _open_osfhandle(handle, flags);
}

int SetConsoleCtrlHandlerCall(SysConsoleHandler handler, int add)
{
    return SetConsoleCtrlHandler(handler, add);
}

void ExitProcessCall(unsigned int status)
{
    ExitProcess(status);
}

int DeleteFileCall(const char* path)
{
    if (DeleteFileA(path)) {
        return 0;
    }
    errno = GetLastError() == ERROR_FILE_NOT_FOUND ? ENOENT : EACCES;
    return -1;
}

int FseekCall(FILE* stream, off_t offset, int origin)
{
    return _fseeki64(stream, offset, origin);
}

off_t FtellCall(FILE* stream)
{
    return _ftelli64(stream);
}

unsigned long GetFileAttributesCall(const char* path)
{
    return GetFileAttributesA(path);
}

// The reason of a failed call is kept where the other Win32 calls keep it:
// GetLastError, which LastSystemError reads.
int MoveFileCall(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
}

const SysIo REAL_SYS_IO = {
    CreateFileCall,    CloseHandleCall, GetFileSizeExCall,
    GetFileIdCall,     LockFileExCall,  UnlockFileExCall,
    OpenOsfHandleCall, ::_close,        SetConsoleCtrlHandlerCall,
    ExitProcessCall,   DeleteFileCall,  ::_fdopen,
    ::fread,           ::fwrite,        ::fgets,
    ::fputs,           FseekCall,       FtellCall,
    ::fflush,          ::fclose,        GetFileAttributesCall,
    MoveFileCall,
};

}  // namespace

const SysIo& RealSysIo()
{
    return REAL_SYS_IO;
}
