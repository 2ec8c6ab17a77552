#include "cleaner/program/main_sequence.h"

#include <memory>
#include <string>
#include <vector>

#include "cleaner/pass/resource_cleaner.h"
#include "cleaner/platform/folders.h"
#include "cleaner/platform/format_path.h"
#include "cleaner/platform/platform.h"
#include "cleaner/removal/folder_tree.h"
#include "cleaner/removal/rooted_remover.h"
#include "cleaner/removal/roots.h"

namespace cleaner {

bool IsProcessRunning(const std::string& name)
{
    std::vector<std::string> processes;
    if (!CurrentPlatform().ListProcessNames(processes))
        return false;
    for (const std::string& process : processes) {
        if (process.find(name) != std::string::npos)
            return true;
    }
    return false;
}

void WriteUsedSpace(std::uint64_t total)
{
    Platform& platform = CurrentPlatform();
    char file[kPathCapacity];
    if (!FormatPath(file, sizeof file, "%s%clocalinfor.ini", GetModuleDir().c_str(),
                    platform.Separator()))
        return;
    platform.WriteIniValue(file, "app", "usedspace", std::to_string(total / 1000000));
}

namespace {

void RemoveClientFolder()
{
    // Only the all-users folder is opened as set up: "Halvern" and "Moravel" are never
    // followed, so a link there leads nowhere (a linked "Moravel" goes as a link).
    std::string folder;
    if (!ClientFolder(folder))
        return;
    const std::string& base = GetCommonAppDataDir();
    std::unique_ptr<Folder> root = CurrentPlatform().OpenRoot(base, "client-folder");
    RootedRemover(base, root.get(), /*pause=*/true).RemoveTreeAt(folder);
}

}  // namespace

void RunCleaner(CResourceCleaner& resourceCleaner)
{
    if (!IsProcessRunning(kClientMarker))
        RemoveClientFolder();
    if (GetModuleDir().empty())
        return;  // an unknown installation folder must not become the drive's root
    resourceCleaner.Run();
    WriteUsedSpace(SumFileSizes(GetModuleDir(), 0));
}

}  // namespace cleaner
