// What the systems' path rules share, and what each system gives them.
#pragma once

#include <cstddef>
#include <string>

// `path` under `folder`, with one separator between them.
std::string JoinToFolder(const std::string& folder, const std::string& path);

// Characters of `path` that make up its root ("/" on POSIX systems; "C:\",
// "C:", "\" or "\\server\share\" on Windows); 0 for a relative path.
std::size_t RootLength(const std::string& path);

// The real path of the existing folder `folder`, with every link and dot
// part resolved; false when the system cannot give it.
bool RealFolderPath(const std::string& folder, std::string& real);
