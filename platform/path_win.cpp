#include "platform/path.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

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

std::size_t RootLength(const std::string& path)
{
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // \\server\share\: the server and the share belong to the root.
        std::size_t at = 2;
        for (int part = 0; part < 2; ++part) {
            while (at < path.size() && !IsPathSeparator(path[at])) {
                ++at;
            }
            if (at < path.size()) {
                ++at;
            }
        }
        return at;
    }
    if (HasDrive(path)) {
        return path.size() >= 3 && IsPathSeparator(path[2]) ? 3 : 2;
    }
    return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

bool RealFolderPath(const std::string& folder, std::string& real)
{
    // A folder opens only with backup semantics; without access rights and
    // sharing everything, the look disturbs no other user of it.
    const HANDLE handle =
        ::CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    char buffer[4 * MAX_PATH];
    const DWORD length =
        ::GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle(handle);
    if (length == 0 || length >= sizeof buffer) {
        return false;
    }
    // The system answers in its long form: \\?\C:\... or \\?\UNC\server\share\...
    std::string text(buffer, length);
    if (text.rfind("\\\\?\\UNC\\", 0) == 0) {
        text = "\\\\" + text.substr(8);
    } else if (text.rfind("\\\\?\\", 0) == 0) {
        text = text.substr(4);
    }
    real = text;
    return true;
}

long ChangeCurrentDirectory(const std::string& dir)
{
    return ::SetCurrentDirectoryA(dir.c_str()) ? 0 : static_cast<long>(::GetLastError());
}
