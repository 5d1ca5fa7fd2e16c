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

// Where the absolute `path` leads, as a text that every spelling of that
// place shares: the containing folder resolved (links, ".", "..", repeated
// separators; on Windows '/' as '\' too), a separator, then the last part
// of the path as written, all in PathKey's form. The last part itself is
// not followed, so a link and the file it names keep different places (the
// files' identities tell them apart); a path whose last part is empty, "."
// or ".." is resolved whole. Folders that do not exist are tidied as text
// below the deepest one that does.
std::string PlaceKey(const std::string& path);

// The folder that holds what `path` names, as written: `path` up to and
// including its last separator ("." when it has none).
std::string ContainingFolder(const std::string& path);

// Makes `dir` the process's current directory; 0, or the operating-system error.
long ChangeCurrentDirectory(const std::string& dir);
