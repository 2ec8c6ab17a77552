// The cleaning pass: read every configuration, then delete unreferenced scene files (judged
// one by one as the scene cache is walked) and stale resources. Every read and deletion is made below the one open "common/petsoc"; deletions
// go through folders opened without following links, so they stay strictly inside it.
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "cleaner/input/resource_paths.h"
#include "cleaner/pass/purge_rows.h"
#include "cleaner/pass/resource_cleaner.h"
#include "cleaner/platform/format_path.h"
#include "cleaner/platform/platform.h"
#include "cleaner/removal/current_paths.h"
#include "cleaner/removal/folder_tree.h"
#include "cleaner/removal/rooted_remover.h"
#include "cleaner/removal/roots.h"

namespace cleaner {

namespace {

constexpr char kVersionMappingName[] = "LocalVersion";
constexpr std::size_t kVersionMappingSize = 100;

// Applies the purge rows' actions through a remover rooted at the open "common/petsoc"
// (`root`, borrowed), holding back every target that `current` covers by name or
// `currentIds` by identity.
class Purger {
public:
    Purger(const std::string& petsoc, Folder* root, const CurrentPaths& current,
           const CurrentIdentities& currentIds)
        : remover_(petsoc, root, false, &currentIds), current_(current)
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
    void Apply(PurgeAction action, const std::string& path)
    {
        if (current_.IsCurrent(path) || remover_.IsCurrentAt(path))
            return;
        switch (action) {
        case PurgeAction::File:
            DeleteOne(path);
            break;
        case PurgeAction::FileAndMainZip:
            DeleteOne(path);
            DeleteMainZipOf(path);
            break;
        case PurgeAction::ZipAndTree:
            DeleteZipOf(path);
            if (!current_.Covers(path))
                remover_.RemoveTreeAt(path);
            break;
        case PurgeAction::ZipOnly:
            DeleteZipOf(path);
            break;
        }
    }

private:
    RootedRemover remover_;
    const CurrentPaths& current_;
};

// On its way through the scene cache, deletes every file and link that no current
// configuration keeps and that is no current resource (by name or by identity, or inside a
// current folder), through the open folder holding it; nothing is stored per file. A path
// cut to fit a path buffer is neither deleted nor entered.
class SceneSweep : public TreeVisitor {
public:
    SceneSweep(const std::string& folder, const CResourceCleaner& cleaner,
               const CurrentPaths& currentNames, const CurrentIdentities& currentIds)
        : paths_{folder}, insideCurrent_{false}, cleaner_(cleaner),
          currentNames_(currentNames), currentIds_(currentIds)
    {
    }

    void File(Folder& folder, const DirEntry& entry) override
    {
        std::string path;
        FolderId id;
        if (!ChildPath(entry, path) || cleaner_.IsKept(path) || insideCurrent_.back() ||
            currentNames_.Covers(path) || !folder.IdOf(entry.name, id) || currentIds_.Holds(id))
            return;
        folder.RemoveEntry(entry.name, false);  // file attributes are left as they are
    }
    std::unique_ptr<Folder> Enter(Folder& folder, const DirEntry& entry) override
    {
        std::string path;
        if (!ChildPath(entry, path))
            return nullptr;
        std::unique_ptr<Folder> child = folder.OpenSubfolder(entry, FolderAccess::Read);
        if (child) {
            paths_.push_back(path);
            insideCurrent_.push_back(insideCurrent_.back() || currentIds_.IsCurrent(child->Id()));
        }
        return child;
    }
    void Leave(Folder&, std::unique_ptr<Folder>, const DirEntry&) override
    {
        paths_.pop_back();
        insideCurrent_.pop_back();
    }

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
    std::vector<bool> insideCurrent_;  // whether each is, or lies inside, a current entry
    const CResourceCleaner& cleaner_;
    const CurrentPaths& currentNames_;
    const CurrentIdentities& currentIds_;
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
    currentNames_.reset();
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
    const bool sceneFilesGo = currentManifestRead && referencesRead;
    const bool staleGoes = currentManifestRead && !staleResources.empty();
    if (sceneFilesGo || staleGoes)
        RecordCurrentResources();
    if (sceneFilesGo)
        DeleteUnreferenced();
    if (staleGoes)
        PurgeStaleResources();
}

void CResourceCleaner::RecordCurrentResources()
{
    std::string petsoc, manifest;
    Folder* root = PetsocRoot(petsoc);
    Platform& platform = CurrentPlatform();
    currentNames_ = std::make_unique<CurrentPaths>(platform);
    currentIds_ = CurrentIdentities();
    std::vector<std::string> paths = currentPaths;
    if (CurrentManifestPath(petsoc, manifest))
        paths.push_back(manifest);
    for (const std::string& path : paths) {
        currentNames_->Add(path);
        std::vector<std::string> steps;
        if (root && StepsBelow(petsoc, path, platform.Separator(), steps))
            currentIds_.Add(*root, JoinSteps(steps, platform.Separator()));
    }
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
    if (!currentNames_)
        RecordCurrentResources();
    std::unique_ptr<Folder> folder = root->OpenAgain("scene-cache");
    // A current resource by identity on the way keeps everything below it.
    bool insideCurrent = folder && currentIds_.IsCurrent(folder->Id());
    for (const char* step : {"Data", "res", "scene"}) {
        if (!folder || !(folder = OpenFolderNamed(*folder, step)))
            return;
        insideCurrent = insideCurrent || currentIds_.IsCurrent(folder->Id());
    }
    if (insideCurrent)
        return;
    SceneSweep sweep(scene, *this, *currentNames_, currentIds_);
    WalkTree(*folder, sweep);
}

void CResourceCleaner::PurgeStaleResources()
{
    std::string petsoc;
    Folder* root = PetsocRoot(petsoc);
    if (!root)
        return;
    if (!currentNames_)
        RecordCurrentResources();
    for (const PurgeRow& row : kPurgeRows) {
        auto found = staleResources.find(row.resourceId);
        if (found == staleResources.end())
            continue;
        std::unique_ptr<Folder> folder = root->OpenAgain(row.resourceId);
        Purger purger(petsoc, folder.get(), *currentNames_, currentIds_);
        for (const std::string& path : found->second)
            purger.Apply(row.action, path);
    }
}

}  // namespace cleaner
