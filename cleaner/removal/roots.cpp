#include "cleaner/removal/roots.h"

#include "cleaner/platform/folders.h"
#include "cleaner/platform/format_path.h"
#include "cleaner/platform/platform.h"

namespace cleaner {

bool ClientFolder(std::string& folder)
{
    const std::string& base = GetCommonAppDataDir();
    const char separator = CurrentPlatform().Separator();
    char path[kClientFolderCapacity];
    if (base.empty() || !FormatPath(path, sizeof path, "%s%cHalvern%cMoravel", base.c_str(),
                                    separator, separator))
        return false;
    folder = path;
    return true;
}

bool PetsocFolder(std::string& folder)
{
    const char separator = CurrentPlatform().Separator();
    char path[kPathCapacity];
    bool fits = FormatPath(path, sizeof path, "%s%ccommon%cpetsoc", GetModuleDir().c_str(),
                           separator, separator);
    folder = path;
    return fits;
}

}  // namespace cleaner
