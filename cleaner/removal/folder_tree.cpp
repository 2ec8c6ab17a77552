#include "cleaner/removal/folder_tree.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "cleaner/removal/current_paths.h"

namespace cleaner {

namespace {

// Lists `folder`, handing each entry that is no folder of its own to the visitor at once and
// keeping only the subfolders: a folder of a million files costs no memory. A mount point
// (of a folder or a file) belongs to another file system: not this walk's.
std::vector<DirEntry> SubfoldersOf(Folder& folder, TreeVisitor& visitor)
{
    std::vector<DirEntry> subfolders;
    folder.List([&](const DirEntry& entry) {
        if (entry.mountPoint)
            return;
        if (entry.kind == EntryKind::Directory)
            subfolders.push_back(entry);
        else
            visitor.File(folder, entry);
    });
    return subfolders;
}

class Removal : public TreeVisitor {
public:
    Removal(bool pause, const CurrentIdentities* current) : pause_(pause), current_(current) {}

    void File(Folder& folder, const DirEntry& entry) override
    {
        FolderId id;
        if (current_ && (!folder.IdOf(entry.name, id) || current_->Holds(id)))
            return;
        folder.RemoveEntry(entry.name, /*clearReadOnly=*/true);
        if (pause_)
            CurrentPlatform().PauseMilliseconds(2);
    }
    std::unique_ptr<Folder> Enter(Folder& folder, const DirEntry& entry) override
    {
        std::unique_ptr<Folder> child = folder.OpenSubfolder(entry, FolderAccess::Delete);
        if (child && current_ && current_->Holds(child->Id()))
            return nullptr;
        return child;
    }
    void Leave(Folder& folder, std::unique_ptr<Folder> child, const DirEntry& entry) override
    {
        folder.RemoveSubfolder(std::move(child), entry.name);
    }

private:
    bool pause_;
    const CurrentIdentities* current_;
};

class SizeSum : public TreeVisitor {
public:
    explicit SizeSum(std::uint64_t total) : total(total) {}

    void File(Folder&, const DirEntry& entry) override { total += entry.size; }
    std::unique_ptr<Folder> Enter(Folder& folder, const DirEntry& entry) override
    {
        return folder.OpenSubfolder(entry, FolderAccess::Read);
    }
    void Leave(Folder&, std::unique_ptr<Folder>, const DirEntry&) override {}

    std::uint64_t total;
};

}  // namespace

std::unique_ptr<Folder> OpenFolderNamed(Folder& parent, const std::string& name)
{
    DirEntry entry;
    if (!parent.Lookup(name, entry) || entry.kind != EntryKind::Directory || entry.mountPoint)
        return nullptr;
    return parent.OpenSubfolder(entry, FolderAccess::Read);
}

void WalkTree(Folder& top, TreeVisitor& visitor)
{
    // One level per open folder: its handle, how it was entered, its subfolders left to walk.
    struct Level {
        std::unique_ptr<Folder> folder;
        DirEntry entry;
        std::vector<DirEntry> entries;
        std::size_t next = 0;
    };
    std::vector<Level> levels;
    std::vector<DirEntry> topEntries = SubfoldersOf(top, visitor);
    for (std::size_t next = 0;;) {
        std::vector<DirEntry>& entries = levels.empty() ? topEntries : levels.back().entries;
        std::size_t& at = levels.empty() ? next : levels.back().next;
        Folder& folder = levels.empty() ? top : *levels.back().folder;
        if (at == entries.size()) {
            if (levels.empty())
                return;
            Level done = std::move(levels.back());
            levels.pop_back();
            visitor.Leave(levels.empty() ? top : *levels.back().folder, std::move(done.folder),
                          done.entry);
            continue;
        }
        const DirEntry entry = entries[at++];
        if (std::unique_ptr<Folder> child = visitor.Enter(folder, entry)) {
            std::vector<DirEntry> childEntries = SubfoldersOf(*child, visitor);
            levels.push_back(Level{std::move(child), entry, std::move(childEntries), 0});
        }
    }
}

bool RemoveFolderTree(Folder& parent, const DirEntry& entry, bool pause,
                      const CurrentIdentities* current)
{
    Removal removal(pause, current);
    std::unique_ptr<Folder> folder =
        entry.mountPoint ? nullptr : removal.Enter(parent, entry);
    if (!folder)
        return true;
    WalkTree(*folder, removal);
    parent.RemoveSubfolder(std::move(folder), entry.name);
    return true;
}

std::uint64_t SumFileSizes(const std::string& folder, std::uint64_t total)
{
    std::unique_ptr<Folder> root = CurrentPlatform().OpenRoot(folder, "used-space");
    if (!root)
        return total;
    SizeSum sum(total);
    WalkTree(*root, sum);
    return sum.total;
}

}  // namespace cleaner
