#include "platform/path.h"
#include "platform/path_join.h"

std::string JoinToFolder(const std::string& folder, const std::string& path)
{
    if (!folder.empty() && IsPathSeparator(folder.back())) {
        return folder + path;
    }
    return folder + PATH_SEPARATOR + path;
}
