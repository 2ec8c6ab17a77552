// The current resources' paths, which no purge may delete: a purge target that names one of
// them, a folder holding one, or anything inside one, is held back.
#pragma once

#include <set>
#include <string>

#include "cleaner/platform.h"

namespace cleaner {

// Paths compare by their steps ("." and empty steps dropped), each step in the form in
// which the file system tells names apart. A current path with ".." steps counts both as
// written and as those steps resolve by name, so that no spelling of it leaves it unguarded.
class CurrentPaths {
public:
    explicit CurrentPaths(const Platform& platform)
        : platform_(platform), separator_(platform.Separator())
    {
    }

    void Add(const std::string& path);
    // True when `path` names a current path, a folder holding one or an entry inside one.
    bool Covers(const std::string& path) const;
    // True when `path` names a current path or an entry inside one.
    bool IsCurrent(const std::string& path) const;

private:
    // Inserts the key of `path` and of each folder above it.
    void AddWithFolders(const std::string& path, bool resolveParents);
    std::string Key(const std::string& path, bool resolveParents) const;
    bool IsCurrentKey(const std::string& key) const;

    const Platform& platform_;
    char separator_;
    std::set<std::string> keys_;     // current paths and the folders above them
    std::set<std::string> current_;  // current paths themselves
};

}  // namespace cleaner
