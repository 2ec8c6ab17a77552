// Folder-tree removal and size summing through open folders. Neither follows a link: a
// link inside the tree is removed or counted as itself, never as what it points to.
#pragma once

#include <cstdint>
#include <string>

#include "cleaner/platform.h"

namespace cleaner {

// Deletes the subfolder `entry` of the open `parent`: its files, links and subfolders, then
// the folder itself through its own handle. Read-only files are made writable first;
// files that cannot be deleted stay, and so do the folders holding them. A subfolder that
// is no folder of its own when opened (swapped for a link, say) is left alone. With
// `pause`, waits 2 ms after each file or link. Always reports success.
bool RemoveFolderTree(Folder& parent, const DirEntry& entry, bool pause);

// Adds the full size of every file below `folder` (opened as set up) to `total` and returns
// the new total; links count as themselves and are never entered.
std::uint64_t SumFileSizes(const std::string& folder, std::uint64_t total);

}  // namespace cleaner
