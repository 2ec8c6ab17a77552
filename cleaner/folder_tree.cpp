#include "cleaner/folder_tree.h"

#include <memory>
#include <vector>

namespace cleaner {

namespace {

std::vector<DirEntry> EntriesOf(Folder& folder)
{
    std::vector<DirEntry> entries;
    folder.List([&entries](const DirEntry& entry) { entries.push_back(entry); });
    return entries;
}

void EmptyFolder(Folder& folder, bool pause)
{
    Platform& platform = CurrentPlatform();
    // Listed first, then deleted: no listing stays open while the walk goes deeper.
    for (const DirEntry& entry : EntriesOf(folder)) {
        if (entry.kind == EntryKind::Directory) {
            RemoveFolderTree(folder, entry, pause);
            continue;
        }
        folder.RemoveEntry(entry.name, /*clearReadOnly=*/true);
        if (pause)
            platform.PauseMilliseconds(2);
    }
}

std::uint64_t SumBelow(Folder& folder, std::uint64_t total)
{
    for (const DirEntry& entry : EntriesOf(folder)) {
        if (entry.kind != EntryKind::Directory) {
            total += entry.size;
            continue;
        }
        if (std::unique_ptr<Folder> child = folder.OpenSubfolder(entry, FolderAccess::Read))
            total = SumBelow(*child, total);
    }
    return total;
}

}  // namespace

bool RemoveFolderTree(Folder& parent, const DirEntry& entry, bool pause)
{
    std::unique_ptr<Folder> folder = parent.OpenSubfolder(entry, FolderAccess::Delete);
    if (!folder)
        return true;
    EmptyFolder(*folder, pause);
    parent.RemoveSubfolder(std::move(folder), entry.name);
    return true;
}

std::uint64_t SumFileSizes(const std::string& folder, std::uint64_t total)
{
    std::unique_ptr<Folder> root = CurrentPlatform().OpenRoot(folder, "used-space");
    return root ? SumBelow(*root, total) : total;
}

}  // namespace cleaner
