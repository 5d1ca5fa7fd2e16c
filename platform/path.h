// Paths as this kind of system writes them.
#pragma once

#include <string>

// The separator this system puts between folders.
extern const char PATH_SEPARATOR;

// Whether `ch` separates folders on this system ('/' on POSIX systems; '\'
// and '/' on Windows).
bool IsPathSeparator(char ch);

// `path` as an absolute path: kept when it is one, else placed under
// `currentDir` (on Windows a path with a root but no drive takes the drive of
// `currentDir`). Nothing is resolved, so the text stays as typed.
std::string MakeAbsolutePath(const std::string& path, const std::string& currentDir);

// The form in which two names of one file compare equal on this system:
// the name itself on POSIX systems, its ASCII letters in small case on
// Windows, whose file systems ignore case.
std::string PathKey(const std::string& path);
