#include "platform/path.h"

#include <vector>

#include "platform/path_join.h"

namespace {

// Index of the last separator in `path`, or npos.
std::size_t LastSeparator(const std::string& path)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) {
            return i - 1;
        }
    }
    return std::string::npos;
}

// `path` with its root kept as written, empty and "." parts dropped, each
// ".." taking away the part before it, and one separator between parts.
std::string TidyPathText(const std::string& path)
{
    const std::size_t root = RootLength(path);
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = root; i <= path.size(); ++i) {
        if (i < path.size() && !IsPathSeparator(path[i])) {
            part += path[i];
            continue;
        }
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (root == 0) {
                parts.push_back(part);  // above a relative start nothing can be taken away
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    }
    std::string tidy = path.substr(0, root);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        tidy += (i > 0 ? std::string(1, PATH_SEPARATOR) : std::string()) + parts[i];
    }
    return tidy.empty() ? std::string(".") : tidy;
}

// The folder resolved by the system where it exists; else its parent
// resolved, with the rest added as text.
std::string ResolvedFolder(const std::string& folder)
{
    std::string real;
    if (RealFolderPath(folder, real)) {
        return real;
    }
    std::string trimmed = folder;
    const std::size_t root = RootLength(trimmed);
    while (trimmed.size() > root && IsPathSeparator(trimmed.back())) {
        trimmed.pop_back();
    }
    const std::size_t separator = LastSeparator(trimmed);
    if (trimmed.size() <= root || separator == std::string::npos || separator + 1 < root) {
        return TidyPathText(trimmed);
    }
    const std::string parent = trimmed.substr(0, separator + 1);
    return TidyPathText(JoinToFolder(ResolvedFolder(parent), trimmed.substr(separator + 1)));
}

}  // namespace

std::string JoinToFolder(const std::string& folder, const std::string& path)
{
    if (!folder.empty() && IsPathSeparator(folder.back())) {
        return folder + path;
    }
    return folder + PATH_SEPARATOR + path;
}

std::string ContainingFolder(const std::string& path)
{
    const std::size_t separator = LastSeparator(path);
    if (separator == std::string::npos) {
        const std::size_t root = RootLength(path);
        return root > 0 ? path.substr(0, root) : std::string(".");
    }
    return path.substr(0, separator + 1);
}

std::string PlaceKey(const std::string& path)
{
    const std::size_t separator = LastSeparator(path);
    const std::string name =
        separator == std::string::npos ? path.substr(RootLength(path)) : path.substr(separator + 1);
    if (name.empty() || name == "." || name == "..") {
        return PathKey(ResolvedFolder(path));
    }
    return PathKey(JoinToFolder(ResolvedFolder(ContainingFolder(path)), name));
}
