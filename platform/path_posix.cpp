#include "platform/path.h"

#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/path_join.h"

const char PATH_SEPARATOR = '/';

bool IsPathSeparator(char ch)
{
    return ch == '/';
}

std::string MakeAbsolutePath(const std::string& path, const std::string& currentDir)
{
    if (!path.empty() && IsPathSeparator(path[0])) {
        return path;
    }
    return JoinToFolder(currentDir, path);
}

std::string PathKey(const std::string& path)
{
    return path;
}

std::size_t RootLength(const std::string& path)
{
    return !path.empty() && path[0] == '/' ? 1 : 0;
}

bool RealFolderPath(const std::string& folder, std::string& real)
{
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) {
        return false;
    }
    real = resolved;
    std::free(resolved);
    return true;
}

long ChangeCurrentDirectory(const std::string& dir)
{
    return ::chdir(dir.c_str()) == 0 ? 0 : errno;
}
