#include "cleaner/removal/current_paths.h"

#include <vector>

#include "cleaner/platform/format_path.h"

namespace cleaner {

std::string CurrentPaths::Key(const std::string& path, bool resolveParents) const
{
    std::vector<std::string> steps;
    std::string step;
    for (std::string::size_type at = 0; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != separator_) {
            step += path[at];
            continue;
        }
        if (resolveParents && step == ".." && !steps.empty())
            steps.pop_back();
        else if (!step.empty() && step != ".")
            steps.push_back(platform_.NameKey(step));
        step.clear();
    }
    std::string key;
    for (const std::string& each : steps)
        key += each + '\0';  // no name holds a NUL: steps never run together
    return key;
}

// Purge targets fit a path buffer, so a longer key could never match one: only the folders
// of such a path that fit are kept (a manifest of very long names stays small here). A key
// may be one byte longer than its path ("C:\a" gives "C:", "a", each ended by a NUL).
void CurrentPaths::AddWithFolders(const std::string& path, bool resolveParents)
{
    std::string key = Key(path, resolveParents);
    if (key.size() <= kPathCapacity)
        current_.insert(key);
    while (!key.empty()) {
        if (key.size() <= kPathCapacity)
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
    const std::string key = Key(path, false);
    return keys_.count(key) != 0 || IsCurrentKey(key);
}

bool CurrentPaths::IsCurrent(const std::string& path) const
{
    return IsCurrentKey(Key(path, false));
}

bool CurrentPaths::IsCurrentKey(const std::string& key) const
{
    for (std::string::size_type end = key.find('\0'); end != std::string::npos;
         end = key.find('\0', end + 1)) {
        if (current_.count(key.substr(0, end + 1)))
            return true;  // the path itself, or a folder above it, is current
    }
    return false;
}

void CurrentIdentities::Add(Folder& root, const std::string& relative)
{
    bool any = false;
    FolderId last;
    const bool found = root.Resolve(relative, [&](const PathStep& step) {
        if (any)
            way_.insert(last);
        last = step.id;
        any = true;
    });
    if (!any) {
        if (found)
            current_.insert(root.Id());  // the root itself is named
        return;
    }
    (found ? current_ : way_).insert(last);
}

}  // namespace cleaner
