// The cleaning pass: collect, select, then delete unreferenced scene files and stale
// resources. Every deletion is made below an open "<installation>/common/petsoc", through
// folders opened without following links, so it stays strictly inside that folder.
#include <cstddef>
#include <cstdlib>

#include "cleaner/format_path.h"
#include "cleaner/platform.h"
#include "cleaner/resource_cleaner.h"
#include "cleaner/resource_paths.h"
#include "cleaner/rooted_remover.h"

namespace cleaner {

namespace {

constexpr char kVersionMappingName[] = "LocalVersion";
constexpr std::size_t kVersionMappingSize = 100;

enum class StaleAction {
    File,            // delete P
    FileAndMainZip,  // delete P, then P cut at its last "." plus ".zip"
    ZipAndTree,      // delete P.zip, then remove the folder tree P
    ZipOnly,         // delete P.zip
};

struct StaleCategory {
    const char* resourceId;
    StaleAction action;
};

// In the order the purge handles them; other ids are left alone.
constexpr StaleCategory kStaleCategories[] = {
    {"PetSocResXML", StaleAction::File},
    {"CommunityMainFlash", StaleAction::FileAndMainZip},
    {"NPCConfigure", StaleAction::ZipAndTree},
    {"SceneConfigure", StaleAction::ZipAndTree},
    {"MusicConfigure", StaleAction::ZipAndTree},
    {"NavigationConfigure", StaleAction::ZipAndTree},
    {"MapConfigure", StaleAction::ZipAndTree},
    {"LoadPanel", StaleAction::ZipOnly},
    {"ServerInfo", StaleAction::ZipOnly},
    {"WeatherSystem", StaleAction::ZipOnly},
    {"NpcRes", StaleAction::ZipOnly},
    {"TitleCfg", StaleAction::ZipAndTree},
    {"PetStatus", StaleAction::ZipAndTree},
    {"StaticRes", StaleAction::ZipOnly},
};

// Applies the categories' actions through a remover rooted at "common/petsoc"; `purpose`
// is the category's resource id, or "scene-cache".
class Purger {
public:
    Purger(const std::string& petsoc, const char* purpose) : remover_(petsoc, false, purpose) {}

    void DeleteOne(const std::string& path) { remover_.RemoveFileAt(path, false); }

    void DeleteZipOf(const std::string& path)
    {
        char zip[kPathCapacity];
        if (FormatPath(zip, sizeof zip, "%s.zip", path.c_str()))
            DeleteOne(zip);
    }

    // "main.swf" gives "main.zip"; a path without any "." has no such companion.
    void DeleteMainZipOf(const std::string& path)
    {
        std::string::size_type dot = path.rfind('.');
        if (dot != std::string::npos)
            DeleteZipOf(path.substr(0, dot));
    }

    void Apply(StaleAction action, const std::string& path)
    {
        switch (action) {
        case StaleAction::File:
            DeleteOne(path);
            break;
        case StaleAction::FileAndMainZip:
            DeleteOne(path);
            DeleteMainZipOf(path);
            break;
        case StaleAction::ZipAndTree:
            DeleteZipOf(path);
            remover_.RemoveTreeAt(path);
            break;
        case StaleAction::ZipOnly:
            DeleteZipOf(path);
            break;
        }
    }

private:
    RootedRemover remover_;
};

}  // namespace

int CResourceCleaner::ReadLocalVersion()
{
    std::string text;
    if (!CurrentPlatform().ReadSharedText(kVersionMappingName, kVersionMappingSize, text))
        return 0;
    return LeadingInt(text.c_str());
}

void CResourceCleaner::Run()
{
    localVersion = ReadLocalVersion();
    if (localVersion == 0)
        return;
    const char separator = CurrentPlatform().Separator();
    std::string petsoc;
    char scene[kPathCapacity];
    if (PetsocFolder(petsoc) &&
        FormatPath(scene, sizeof scene, "%s%cData%cres%cscene", petsoc.c_str(), separator,
                   separator, separator))
        CollectFiles(scene);
    LoadCurrentManifest();
    CollectReferencedFiles();
    SelectUnreferenced();
    ScanOldManifests();
    if (!deleteFiles.empty())
        DeleteUnreferenced();
    if (!staleResources.empty())
        PurgeStaleResources();
}

void CResourceCleaner::CollectFiles(const std::string& folder)
{
    Platform& platform = CurrentPlatform();
    const char separator = platform.Separator();
    char pattern[kPathCapacity];
    if (!FormatPath(pattern, sizeof pattern, "%s%c*", folder.c_str(), separator))
        return;
    platform.ForEachEntry(pattern, [&](const DirEntry& entry) {
        if (entry.name == "." || entry.name == "..")
            return;
        char child[kPathCapacity];
        if (!FormatPath(child, sizeof child, "%s%c%s", folder.c_str(), separator,
                        entry.name.c_str()))
            return;  // a cut path is neither collected nor entered
        if (entry.kind == EntryKind::Directory)
            CollectFiles(child);
        else
            scannedFiles.insert(child);  // files and links, which are never entered
    });
}

void CResourceCleaner::SelectUnreferenced()
{
    for (auto it = scannedFiles.begin(); it != scannedFiles.end();) {
        if (IsKept(*it)) {
            ++it;
            continue;
        }
        deleteFiles.insert(*it);
        it = scannedFiles.erase(it);
    }
}

void CResourceCleaner::DeleteUnreferenced()
{
    std::string petsoc;
    if (!PetsocFolder(petsoc))
        return;
    Purger purger(petsoc, "scene-cache");  // file attributes are left as they are
    for (const std::string& path : deleteFiles)
        purger.DeleteOne(path);
}

void CResourceCleaner::PurgeStaleResources()
{
    std::string petsoc;
    if (!PetsocFolder(petsoc))
        return;
    for (const StaleCategory& category : kStaleCategories) {
        auto found = staleResources.find(category.resourceId);
        if (found == staleResources.end())
            continue;
        Purger purger(petsoc, category.resourceId);
        for (const std::string& path : found->second)
            purger.Apply(category.action, path);
    }
}

}  // namespace cleaner
