#include "main_sequence.h"

#include <string>
#include <vector>

#include "folder_tree.h"
#include "folders.h"
#include "format_path.h"
#include "platform.h"
#include "resource_cleaner.h"

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
    const std::string& base = GetCommonAppDataDir();
    if (base.empty())
        return;
    const char separator = CurrentPlatform().Separator();
    char folder[kClientFolderCapacity];
    if (FormatPath(folder, sizeof folder, "%s%cHalvern%cMoravel", base.c_str(), separator,
                   separator))
        RemoveFolderTree(folder, true);
}

}  // namespace

void RunCleaner(CResourceCleaner& resourceCleaner)
{
    if (!IsProcessRunning(kClientMarker))
        RemoveClientFolder();
    resourceCleaner.Run();
    WriteUsedSpace(SumFileSizes(GetModuleDir(), 0));
}

}  // namespace cleaner
