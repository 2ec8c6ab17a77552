// Deletions below one root folder that no link and no swap can lead outside it.
//
// Layer: cleaner/removal/ deletes and sums below the two roots (walks of folder trees, this
// remover, the current resources that are never deleted, the roots themselves); it uses the
// platform and input layers, never the pass or the program.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "cleaner/platform/platform.h"

namespace cleaner {

class CurrentIdentities;

// The root is an open folder (opened as it is set up, links followed) that the remover
// borrows; every folder below it is opened from its parent without following a link, and
// each deletion is made relative to the open folder that holds it. A path that is not strictly below the root or has a ".." step is
// never touched. Paths handed in one after another share the open folders they have in
// common, so a sorted list of paths opens each folder once.
class RootedRemover {
public:
    // `root` is the path `rootFolder` (borrowed; null deletes nothing) was opened from. With
    // `pause`, waits 2 ms after each file or link deleted by a tree removal. With `current`
    // (borrowed), nothing is deleted through a folder that is a current entry, and no entry
    // that `current` holds (or whose identity cannot be told) is deleted or emptied.
    RootedRemover(std::string root, Folder* rootFolder, bool pause,
                  const CurrentIdentities* current = nullptr);

    // Deletes the file or link at the full path `path` (never a folder, never a link's
    // target); read-only files only with `clearReadOnly`.
    void RemoveFileAt(const std::string& path, bool clearReadOnly);

    // Removes the folder at `path` with everything in it, or the link there itself.
    // A file there stays.
    void RemoveTreeAt(const std::string& path);

    // Whether the entry at `path`, reached as a deletion reaches it, is a current entry or
    // lies inside one (always false without `current`).
    bool IsCurrentAt(const std::string& path);

private:
    // The open folder holding the last step of `path`, that step in `name`; null when the
    // path may not be used or a folder on the way is missing, a link or no longer itself.
    Folder* ParentOf(const std::string& path, std::string& name);
    // The same, null also when a folder on the way is a current entry.
    Folder* DeletableParentOf(const std::string& path, std::string& name);
    // The steps of `path` below the root; false when it is not strictly below it.
    bool StepsBelowRoot(const std::string& path, std::vector<std::string>& steps) const;
    // Closes the open folders from `depth` down (deepest first).
    void CloseFrom(std::size_t depth);
    // Whether the entry `name` of `parent` may be deleted: nothing current holds it.
    bool MayDelete(Folder& parent, const std::string& name) const;
    // Whether the open folder at `depth` (0: the root) or one above it is a current entry.
    bool InsideCurrent(std::size_t depth);

    std::string root_;
    Folder* rootFolder_;
    bool pause_;
    const CurrentIdentities* current_;
    std::vector<std::string> openNames_;              // steps of the open chain
    std::vector<std::unique_ptr<Folder>> openChain_;  // their folders, root's child first
    std::vector<bool> insideCurrent_;                  // the root's, then the chain's
};

}  // namespace cleaner
