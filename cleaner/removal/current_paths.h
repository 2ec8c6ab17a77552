// The current resources, which no step of the pass may delete: a target that names one of
// them, a folder holding one, or anything inside one, is held back; by name, and by what
// the current paths reach on the disk.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "cleaner/platform/platform.h"

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

// What the current paths reach, by identity: a link, a bind mount, a second spelling the
// system accepts or a hard link can reach a current resource by a name no comparison of
// names catches. Collected once per pass, before its first deletion.
class CurrentIdentities {
public:
    // Resolves `relative` below `root` as a reader does (links followed) and records the
    // entry it leads to as current and every entry on its way (folders, links) as holding
    // one. An entry that cannot be reached records only the way there.
    void Add(Folder& root, const std::string& relative);
    // A current entry: whatever a deletion reaches through it is current too.
    bool IsCurrent(const FolderId& id) const { return current_.count(id) != 0; }
    // A current entry, or an entry on the way to one: a deletion leaves it whole.
    bool Holds(const FolderId& id) const { return IsCurrent(id) || way_.count(id) != 0; }

private:
    std::set<FolderId> current_, way_;
};

}  // namespace cleaner
