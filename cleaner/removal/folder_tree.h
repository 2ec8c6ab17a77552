// Walks of folder trees through open folders: removal, size summing and any other walk.
// None follows a link: a link inside the tree is removed or counted as itself, never as
// what it points to. None crosses into another file system: a mount point met in a tree is
// not entered, removed or summed. A walk keeps its state on the heap, one open folder per level, so no
// depth of tree can overflow the stack; a folder that cannot be opened (no handles left,
// say) is left as it is, with everything below it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cleaner/platform/platform.h"

namespace cleaner {

class CurrentIdentities;

// What a walk does on its way through a tree.
class TreeVisitor {
public:
    virtual ~TreeVisitor() = default;
    // An entry of `folder` that is no folder of its own (a file or a link).
    virtual void File(Folder& folder, const DirEntry& entry) = 0;
    // Opens the subfolder `entry` of `folder` to walk it; null skips it.
    virtual std::unique_ptr<Folder> Enter(Folder& folder, const DirEntry& entry) = 0;
    // After everything in `child` (entered from `folder` as `entry`) was walked.
    virtual void Leave(Folder& folder, std::unique_ptr<Folder> child, const DirEntry& entry) = 0;
};

// The subfolder `name` of `parent`, opened to be read, never through a link; null when it
// is missing, no folder of its own, a mount point or cannot be opened.
std::unique_ptr<Folder> OpenFolderNamed(Folder& parent, const std::string& name);

// Walks everything below `top`, depth first: each folder is listed once, its files and links
// visited as it lists them, then its subfolders walked in the order it listed them. Only
// subfolders are held between listing and walking.
void WalkTree(Folder& top, TreeVisitor& visitor);

// Deletes the subfolder `entry` of the open `parent`: its files, links and subfolders, then
// the folder itself through its own handle. Read-only files are made writable first;
// files that cannot be deleted stay, and so do the folders holding them. A subfolder that
// is no folder of its own when opened (swapped for a link, say) is left alone. With
// `pause`, waits 2 ms after each file or link. With `current` (borrowed), an entry that
// `current` holds, or one whose identity cannot be told, is left whole, and the subfolder
// itself when it is one. Always reports success.
bool RemoveFolderTree(Folder& parent, const DirEntry& entry, bool pause,
                      const CurrentIdentities* current = nullptr);

// Adds the full size of every file below `folder` (opened as set up) to `total` and returns
// the new total; links count as themselves and are never entered.
std::uint64_t SumFileSizes(const std::string& folder, std::uint64_t total);

}  // namespace cleaner
