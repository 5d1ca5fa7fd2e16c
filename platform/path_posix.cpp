#include "platform/path.h"

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
