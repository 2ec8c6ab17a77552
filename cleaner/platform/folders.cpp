#include "cleaner/platform/folders.h"

#include "cleaner/platform/platform.h"

namespace cleaner {

namespace {
std::string g_moduleDir;
bool g_moduleDirKnown = false;
std::string g_commonAppDataDir;
}  // namespace

const std::string& GetModuleDir()
{
    if (!g_moduleDirKnown) {
        Platform& platform = CurrentPlatform();
        std::string path = platform.ModuleFileName();
        std::string::size_type last = path.rfind(platform.Separator());
        g_moduleDir = last == std::string::npos ? std::string() : path.substr(0, last);
        g_moduleDirKnown = true;
    }
    return g_moduleDir;
}

const std::string& GetCommonAppDataDir()
{
    if (g_commonAppDataDir.empty())
        g_commonAppDataDir = CurrentPlatform().CommonAppDataFolder();
    return g_commonAppDataDir;
}

void ResetFolderCaches()
{
    g_moduleDir.clear();
    g_moduleDirKnown = false;
    g_commonAppDataDir.clear();
}

}  // namespace cleaner
