// The one seam between the file classes and the C library: every stdio and
// file-system call that the line file, the file base and the work-file lock
// make goes through this table, so tests can make any single call fail.
//
// The stream calls are the same on every system. Below them, POSIX systems
// work with file descriptors and Windows with Win32 handles, wrapped into the
// C runtime's descriptors; each build's table holds its own system's calls.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
// The identity of an open file on Windows: the volume's serial number and
// the file's index on that volume, and the names (hard links) it has.
struct SysFileId {
    unsigned long volume;
    unsigned long long index;
    unsigned long links;
};

// A console control handler (PHANDLER_ROUTINE): the event in, TRUE when handled.
using SysConsoleHandler = int(__stdcall*)(unsigned long event);
#endif

struct SysIo {
#ifdef _WIN32
    // Win32 handles travel as integers, so this header needs no <windows.h>.
    // CreateFileA with the given access, share mode and creation disposition;
    // -1 (INVALID_HANDLE_VALUE) on failure, with GetLastError set.
    std::intptr_t (*createFile)(const char* path, unsigned long access, unsigned long share,
                                unsigned long disposition);
    // CloseHandle; zero on failure.
    int (*closeHandle)(std::intptr_t handle);
    // GetFileSizeEx; zero on failure.
    int (*getFileSizeEx)(std::intptr_t handle, long long* size);
    // GetFileInformationByHandle, reduced to the file's identity; zero on failure.
    int (*getFileId)(std::intptr_t handle, SysFileId* id);
    // LockFileEx of `length` bytes at `offset`, exclusive; waiting for it when
    // `wait` is set, else failing at once (ERROR_LOCK_VIOLATION) while
    // another handle holds it. Zero on failure.
    int (*lockFileEx)(std::intptr_t handle, unsigned long long offset, unsigned long long length, int wait);
    // UnlockFileEx of a range that lockFileEx locked; zero on failure.
    int (*unlockFileEx)(std::intptr_t handle, unsigned long long offset, unsigned long long length);
    // _open_osfhandle: a runtime descriptor that takes over the handle; -1 on failure.
    int (*openOsfHandle)(std::intptr_t handle, int flags);
    // _close of a runtime descriptor, which closes its handle too.
    int (*close)(int fd);
    // SetConsoleCtrlHandler: adds (`add` set) or removes a console handler; zero on failure.
    int (*setConsoleCtrlHandler)(SysConsoleHandler handler, int add);
    // ExitProcess: ends the process with `status` (returns only where a test put another call in).
    void (*exitProcess)(unsigned int status);
#else
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    int (*fstat)(int fd, struct stat* st);
#endif
    // Removes a file by name (DeleteFileA on Windows); 0 on success, -1 on failure.
    int (*unlink)(const char* path);
    FILE* (*fdopen)(int fd, const char* mode);
    size_t (*fread)(void* buffer, size_t size, size_t count, FILE* stream);
    size_t (*fwrite)(const void* buffer, size_t size, size_t count, FILE* stream);
    char* (*fgets)(char* buffer, int count, FILE* stream);
    int (*fputs)(const char* text, FILE* stream);
    int (*fseeko)(FILE* stream, off_t offset, int origin);
    off_t (*ftello)(FILE* stream);
    int (*fflush)(FILE* stream);
    int (*fclose)(FILE* stream);
#ifndef _WIN32
    int (*flock)(int fd, int operation);
    int (*stat)(const char* path, struct stat* st);
    int (*lstat)(const char* path, struct stat* st);
#else
    // GetFileAttributesA; INVALID_FILE_ATTRIBUTES on failure.
    unsigned long (*getFileAttributes)(const char* path);
#endif
    // Puts the file `from` in place of `to`, replacing a file of that name
    // (rename, or MoveFileExA with MOVEFILE_REPLACE_EXISTING on Windows);
    // 0 on success, -1 with the reason set on failure.
    int (*replace)(const char* from, const char* to);
};

// The table in use. Starts out holding the C library's own functions.
SysIo& Sys();

// The C library's own functions, for restoring the table.
const SysIo& RealSysIo();

// Puts the real table back when it goes out of scope.
class ScopedSysIo {
public:
    ScopedSysIo() : m_saved(Sys()) {}
    ~ScopedSysIo() { Sys() = m_saved; }
    ScopedSysIo(const ScopedSysIo&) = delete;
    ScopedSysIo& operator=(const ScopedSysIo&) = delete;

private:
    SysIo m_saved;
};
