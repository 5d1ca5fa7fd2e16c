// The Win32 error codes that file operations meet: the cause each stands
// for, and the errno of the same meaning, whose C-library wording the
// Windows build reports, so a failure reads the same on every system. Plain
// data without <windows.h>, so the tests of every build can check it.
#pragma once

#include <cerrno>

#include "platform/file_exception.h"

// One Win32 error code and how the file exception reports it.
struct Win32ErrorEntry {
    unsigned long code;  // the Win32 error code
    int posixError;      // errno of the same meaning
    int cause;           // the file exception's cause code
    const char* reason;  // the C library's wording of posixError
};

// Every Win32 error code the file layer words itself; others get the
// system's own message text and the generic cause. Where several codes share
// an errno, the first stands for that errno when only errno is known.
inline constexpr Win32ErrorEntry WIN32_ERRORS[] = {
    {112, ENOSPC, CFileException::diskFull, "No space left on device"},          // ERROR_DISK_FULL
    {31, EIO, CFileException::hardIO, "Input/output error"},                     // ERROR_GEN_FAILURE
    {2, ENOENT, CFileException::fileNotFound, "No such file or directory"},      // ERROR_FILE_NOT_FOUND
    {3, ENOENT, CFileException::badPath, "No such file or directory"},           // ERROR_PATH_NOT_FOUND
    {4, EMFILE, CFileException::tooManyOpenFiles, "Too many open files"},        // ERROR_TOO_MANY_OPEN_FILES
    {5, EACCES, CFileException::accessDenied, "Permission denied"},              // ERROR_ACCESS_DENIED
    {6, EBADF, CFileException::invalidFile, "Bad file descriptor"},              // ERROR_INVALID_HANDLE
    {8, ENOMEM, CFileException::genericException, "Cannot allocate memory"},     // ERROR_NOT_ENOUGH_MEMORY
    {14, ENOMEM, CFileException::genericException, "Cannot allocate memory"},    // ERROR_OUTOFMEMORY
    {15, ENOENT, CFileException::badPath, "No such file or directory"},          // ERROR_INVALID_DRIVE
    {16, EACCES, CFileException::removeCurrentDir, "Permission denied"},         // ERROR_CURRENT_DIRECTORY
    {17, EXDEV, CFileException::genericException, "Invalid cross-device link"},  // ERROR_NOT_SAME_DEVICE
    {19, EROFS, CFileException::accessDenied, "Read-only file system"},          // ERROR_WRITE_PROTECT
    {23, EIO, CFileException::hardIO, "Input/output error"},                     // ERROR_CRC
    {25, ESPIPE, CFileException::badSeek, "Illegal seek"},                       // ERROR_SEEK
    {29, EIO, CFileException::hardIO, "Input/output error"},                     // ERROR_WRITE_FAULT
    {30, EIO, CFileException::hardIO, "Input/output error"},                     // ERROR_READ_FAULT
    {32, EBUSY, CFileException::sharingViolation, "Device or resource busy"},    // ERROR_SHARING_VIOLATION
    {33, EAGAIN, CFileException::lockViolation, "Resource temporarily unavailable"},  // ERROR_LOCK_VIOLATION
    {39, ENOSPC, CFileException::diskFull, "No space left on device"},          // ERROR_HANDLE_DISK_FULL
    {80, EEXIST, CFileException::genericException, "File exists"},              // ERROR_FILE_EXISTS
    {82, EACCES, CFileException::directoryFull, "Permission denied"},           // ERROR_CANNOT_MAKE
    {87, EINVAL, CFileException::invalidFile, "Invalid argument"},              // ERROR_INVALID_PARAMETER
    {109, EPIPE, CFileException::genericException, "Broken pipe"},              // ERROR_BROKEN_PIPE
    {123, EINVAL, CFileException::badPath, "Invalid argument"},                 // ERROR_INVALID_NAME
    {131, EINVAL, CFileException::badSeek, "Invalid argument"},                 // ERROR_NEGATIVE_SEEK
    {145, ENOTEMPTY, CFileException::genericException, "Directory not empty"},  // ERROR_DIR_NOT_EMPTY
    {161, ENOENT, CFileException::badPath, "No such file or directory"},        // ERROR_BAD_PATHNAME
    {170, EBUSY, CFileException::sharingViolation, "Device or resource busy"},  // ERROR_BUSY
    {183, EEXIST, CFileException::genericException, "File exists"},             // ERROR_ALREADY_EXISTS
    {206, ENAMETOOLONG, CFileException::badPath, "File name too long"},         // ERROR_FILENAME_EXCED_RANGE
    {267, ENOTDIR, CFileException::badPath, "Not a directory"},                 // ERROR_DIRECTORY
    {1117, EIO, CFileException::hardIO, "Input/output error"},                  // ERROR_IO_DEVICE
};
