// Folder-tree removal and size summing. Neither follows a link: a link inside the tree
// is removed or counted as itself, never as what it points to.
#pragma once

#include <cstdint>
#include <string>

namespace cleaner {

// Deletes the folder's files, links and subfolders, then the folder itself. Read-only
// files are made writable first; files that cannot be deleted stay, and so do the
// folders holding them. With `pause`, waits 2 ms after each deleted file.
// Always reports success.
bool RemoveFolderTree(const std::string& folder, bool pause);

// Adds the full size of every file below `folder` to `total` and returns the new total.
// A subfolder whose path would not fit a path buffer is not descended into.
std::uint64_t SumFileSizes(const std::string& folder, std::uint64_t total);

}  // namespace cleaner
