#include "folder_tree.h"

#include "format_path.h"
#include "platform.h"

namespace cleaner {

namespace {

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
}

void RemoveOneFile(Platform& platform, const std::string& path, bool pause)
{
    if (!platform.IsReadWrite(path))
        platform.MakeReadWrite(path);
    platform.RemoveFile(path);
    if (pause)
        platform.PauseMilliseconds(2);
}

}  // namespace

bool RemoveFolderTree(const std::string& folder, bool pause)
{
    Platform& platform = CurrentPlatform();
    const char separator = platform.Separator();
    platform.ForEachEntry(folder + separator + "*.*", [&](const DirEntry& entry) {
        if (IsDotEntry(entry.name))
            return;
        std::string child = folder + separator + entry.name;
        switch (entry.kind) {
        case EntryKind::Directory:
            RemoveFolderTree(child, pause);
            break;
        case EntryKind::Link:
            platform.RemoveLink(child);
            if (pause)
                platform.PauseMilliseconds(2);
            break;
        case EntryKind::File:
            RemoveOneFile(platform, child, pause);
            break;
        }
    });
    platform.RemoveEmptyFolder(folder);
    return true;
}

std::uint64_t SumFileSizes(const std::string& folder, std::uint64_t total)
{
    Platform& platform = CurrentPlatform();
    const char separator = platform.Separator();
    char pattern[kPathCapacity];
    if (!FormatPath(pattern, sizeof pattern, "%s%c*", folder.c_str(), separator))
        return total;
    platform.ForEachEntry(pattern, [&](const DirEntry& entry) {
        if (IsDotEntry(entry.name))
            return;
        if (entry.kind != EntryKind::Directory) {
            total += entry.size;
            return;
        }
        char child[kPathCapacity];
        if (FormatPath(child, sizeof child, "%s%c%s", folder.c_str(), separator,
                       entry.name.c_str()))
            total = SumFileSizes(child, total);
    });
    return total;
}

}  // namespace cleaner
