#include "platform/wildcards.h"

#include <algorithm>

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Index just after the folder part of `path`; 0 without one.
std::size_t NameStart(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) {
        return slash + 1;
    }
    // "C:*.idf" names the current folder of drive C:.
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

}  // namespace

bool HasWildcard(std::string_view path)
{
    return path.find_first_of("*?", NameStart(path)) != std::string_view::npos;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name)
{
    // As on the command prompt, a pattern ending in ".*" also takes names
    // without any dot: "*.*" is every file.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        pattern.remove_suffix(2);
    }
    // Greedy matching that returns to the last * on a mismatch: linear in
    // practice, and never recursive however many stars the pattern has.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

WildcardExpansion ExpandWildcardsWith(const std::vector<std::string>& args, const FolderLister& list)
{
    WildcardExpansion result;
    bool optionsEnded = false;
    bool areaValueNext = false;
    for (const std::string& arg : args) {
        const bool isFile = optionsEnded || (!areaValueNext && (arg.size() < 2 || arg[0] != '-'));
        areaValueNext = !optionsEnded && arg == "--area";
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        }
        if (!isFile || !HasWildcard(arg)) {
            result.args.push_back(arg);
            continue;
        }
        const std::size_t nameStart = NameStart(arg);
        const std::string dir = arg.substr(0, nameStart);
        const std::string pattern = arg.substr(nameStart);
        std::vector<std::string> names;
        for (std::string& name : list(dir, pattern)) {
            if (MatchesWildcard(pattern, name)) {
                names.push_back(std::move(name));
            }
        }
        if (names.empty()) {
            result.unmatched.push_back(arg);
            continue;
        }
        std::sort(names.begin(), names.end(), LessIgnoringCase);
        for (const std::string& name : names) {
            result.args.push_back(dir + name);
        }
    }
    return result;
}
