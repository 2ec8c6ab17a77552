// The cleaning pass: read every configuration, then delete unreferenced scene files (judged
// one by one as the scene cache is walked) and stale resources. Every read and deletion is made below the one open "common/petsoc"; deletions
// go through folders opened without following links, so they stay strictly inside it.
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "cleaner/current_paths.h"
#include "cleaner/folder_tree.h"
#include "cleaner/format_path.h"
#include "cleaner/platform.h"
#include "cleaner/resource_cleaner.h"
#include "cleaner/resource_paths.h"
#include "cleaner/rooted_remover.h"
#include "cleaner/roots.h"

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

// Applies the categories' actions through a remover rooted at the open "common/petsoc"
// (`root`, borrowed), holding back every target that `current` covers.
class Purger {
public:
    Purger(const std::string& petsoc, Folder* root, const CurrentPaths& current)
        : remover_(petsoc, root, false), current_(current)
    {
    }

    void DeleteOne(const std::string& path)
    {
        if (!current_.Covers(path))
            remover_.RemoveFileAt(path, false);
    }

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

    // A stale path that is a current resource spelled another way, or lies inside one,
    // keeps its companions too: they belong to the current resource.
    void Apply(StaleAction action, const std::string& path)
    {
        if (current_.IsCurrent(path))
            return;
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
            if (!current_.Covers(path))
                remover_.RemoveTreeAt(path);
            break;
        case StaleAction::ZipOnly:
            DeleteZipOf(path);
            break;
        }
    }

private:
    RootedRemover remover_;
    const CurrentPaths& current_;
};

// On its way through the scene cache, deletes every file and link that no current
// configuration keeps, through the open folder holding it; nothing is stored per file. A
// path cut to fit a path buffer is neither deleted nor entered.
class SceneSweep : public TreeVisitor {
public:
    SceneSweep(const std::string& folder, const CResourceCleaner& cleaner)
        : paths_{folder}, cleaner_(cleaner)
    {
    }

    void File(Folder& folder, const DirEntry& entry) override
    {
        std::string path;
        if (ChildPath(entry, path) && !cleaner_.IsKept(path))
            folder.RemoveEntry(entry.name, false);  // file attributes are left as they are
    }
    std::unique_ptr<Folder> Enter(Folder& folder, const DirEntry& entry) override
    {
        std::string path;
        if (!ChildPath(entry, path))
            return nullptr;
        std::unique_ptr<Folder> child = folder.OpenSubfolder(entry, FolderAccess::Read);
        if (child)
            paths_.push_back(path);
        return child;
    }
    void Leave(Folder&, std::unique_ptr<Folder>, const DirEntry&) override { paths_.pop_back(); }

private:
    bool ChildPath(const DirEntry& entry, std::string& path) const
    {
        char child[kPathCapacity];
        bool fits = FormatPath(child, sizeof child, "%s%c%s", paths_.back().c_str(),
                               CurrentPlatform().Separator(), entry.name.c_str());
        path = child;
        return fits;
    }

    std::vector<std::string> paths_;  // the open folders' full paths, deepest last
    const CResourceCleaner& cleaner_;
};

}  // namespace

Folder* CResourceCleaner::PetsocRoot(std::string& path)
{
    if (!PetsocFolder(path))
        return nullptr;
    if (!petsocTried_) {
        petsocTried_ = true;
        petsocRoot_ = CurrentPlatform().OpenRoot(path, "petsoc");
    }
    return petsocRoot_.get();
}

int CResourceCleaner::ReadLocalVersion()
{
    std::string text;
    if (!CurrentPlatform().ReadSharedText(kVersionMappingName, kVersionMappingSize, text))
        return 0;
    return LeadingInt(text.c_str());
}

void CResourceCleaner::Run()
{
    try {
        RunPass();
    } catch (const std::bad_alloc&) {
        // Memory ran out: the pass ends as after a failed read, and lets go of its tables.
        currentResources.clear();
        keepFiles.clear();
        tileGrids.clear();
        staleResources.clear();
        std::vector<std::string>().swap(currentPaths);
    }
    petsocRoot_.reset();  // a later pass opens it again
    petsocTried_ = false;
}

void CResourceCleaner::RunPass()
{
    localVersion = ReadLocalVersion();
    if (localVersion == 0)
        return;
    std::string petsoc;
    if (!PetsocRoot(petsoc))
        return;  // nothing there to read or delete
    LoadCurrentManifest();
    CollectReferencedFiles();
    ScanOldManifests();
    // A failed read is not "nothing is current": without every word, nothing of that goes.
    if (currentManifestRead && referencesRead)
        DeleteUnreferenced();
    if (currentManifestRead && !staleResources.empty())
        PurgeStaleResources();
}

// Reached from the held "common/petsoc" step by step, without following links.
void CResourceCleaner::DeleteUnreferenced()
{
    std::string petsoc;
    Folder* root = PetsocRoot(petsoc);
    const char separator = CurrentPlatform().Separator();
    char scene[kPathCapacity];
    if (!root || !FormatPath(scene, sizeof scene, "%s%cData%cres%cscene", petsoc.c_str(),
                             separator, separator, separator))
        return;
    std::unique_ptr<Folder> folder = root->OpenAgain("scene-cache");
    for (const char* step : {"Data", "res", "scene"}) {
        if (!folder || !(folder = OpenFolderNamed(*folder, step)))
            return;
    }
    SceneSweep sweep(scene, *this);
    WalkTree(*folder, sweep);
}

void CResourceCleaner::PurgeStaleResources()
{
    std::string petsoc;
    Folder* root = PetsocRoot(petsoc);
    if (!root)
        return;
    Platform& platform = CurrentPlatform();
    CurrentPaths current(platform);
    for (const std::string& path : currentPaths)
        current.Add(path);
    std::string manifest;
    if (CurrentManifestPath(petsoc, manifest))
        current.Add(manifest);
    for (const StaleCategory& category : kStaleCategories) {
        auto found = staleResources.find(category.resourceId);
        if (found == staleResources.end())
            continue;
        std::unique_ptr<Folder> folder = root->OpenAgain(category.resourceId);
        Purger purger(petsoc, folder.get(), current);
        for (const std::string& path : found->second)
            purger.Apply(category.action, path);
    }
}

}  // namespace cleaner
