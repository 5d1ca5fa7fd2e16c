// The one seam between the file classes and the C library: every stdio and
// file-system call that the line file and the file base make goes through
// this table, so tests can make any single call fail.
#pragma once

#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>

struct SysIo {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    int (*fstat)(int fd, struct stat* st);
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
    int (*flock)(int fd, int operation);
    int (*stat)(const char* path, struct stat* st);
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
