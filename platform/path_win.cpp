#include "platform/path.h"

#include <cctype>
#include <filesystem>

#include "platform/path_join.h"

const char PATH_SEPARATOR = '\\';

bool IsPathSeparator(char ch)
{
    return ch == '\\' || ch == '/';
}

namespace {

bool HasDrive(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':';
}

bool SameDrive(const std::string& a, const std::string& b)
{
    return std::toupper(static_cast<unsigned char>(a[0])) == std::toupper(static_cast<unsigned char>(b[0]));
}

}  // namespace

std::string MakeAbsolutePath(const std::string& path, const std::string& currentDir)
{
    // "D:\x", "D:/x" and "\\server\x" are complete; "\x" lacks only the drive;
    // "E:x" on another drive is relative to that drive's own directory,
    // which only the system knows.
    if (HasDrive(path) && path.size() >= 3 && IsPathSeparator(path[2])) {
        return path;
    }
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        return path;
    }
    if (!path.empty() && IsPathSeparator(path[0])) {
        return currentDir.substr(0, HasDrive(currentDir) ? 2 : 0) + path;
    }
    if (HasDrive(path)) {
        if (!HasDrive(currentDir) || !SameDrive(path, currentDir)) {
            return std::filesystem::absolute(path).string();
        }
        return MakeAbsolutePath(path.substr(2), currentDir);
    }
    return JoinToFolder(currentDir, path);
}

std::string PathKey(const std::string& path)
{
    std::string key = path;
    for (char& ch : key) {
        if (ch == '/') {
            ch = '\\';
        } else {
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
    }
    return key;
}
