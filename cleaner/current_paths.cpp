#include "cleaner/current_paths.h"

#include <vector>

namespace cleaner {

std::string CurrentPaths::Key(const std::string& path, bool resolveParents) const
{
    std::vector<std::string> steps;
    std::string step;
    for (std::string::size_type at = 0; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != separator_) {
            char c = path[at];
            step += (foldCase_ && c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            continue;
        }
        if (resolveParents && step == ".." && !steps.empty())
            steps.pop_back();
        else if (!step.empty() && step != ".")
            steps.push_back(step);
        step.clear();
    }
    std::string key;
    for (const std::string& each : steps)
        key += each + '\0';  // no name holds a NUL: steps never run together
    return key;
}

void CurrentPaths::AddWithFolders(const std::string& path, bool resolveParents)
{
    std::string key = Key(path, resolveParents);
    current_.insert(key);
    while (!key.empty()) {
        keys_.insert(key);
        key.pop_back();  // the step's end
        key.erase(key.rfind('\0') == std::string::npos ? 0 : key.rfind('\0') + 1);
    }
}

void CurrentPaths::Add(const std::string& path)
{
    AddWithFolders(path, false);
    AddWithFolders(path, true);
}

bool CurrentPaths::Covers(const std::string& path) const
{
    return keys_.count(Key(path, false)) != 0 || IsCurrent(path);
}

bool CurrentPaths::IsCurrent(const std::string& path) const
{
    const std::string key = Key(path, false);
    for (std::string::size_type end = key.find('\0'); end != std::string::npos;
         end = key.find('\0', end + 1)) {
        if (current_.count(key.substr(0, end + 1)))
            return true;  // the path itself, or a folder above it, is current
    }
    return false;
}

}  // namespace cleaner
