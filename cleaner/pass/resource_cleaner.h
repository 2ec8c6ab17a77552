// The cleaner's working object: the resource tables of one cleaning pass, the readers that
// fill them from the client's XML files, and the pass that deletes what they select.
//
// All paths are full paths below the installation folder, joined with the platform's
// separator. Nothing outside "<installation>/common/petsoc" is ever deleted, a path that
// had to be cut to fit a path buffer is never deleted or descended into, and no link below
// that folder is followed when deleting (reading configuration may follow links: that can
// only keep more files). That folder is opened once, before the first read of the pass,
// and every read and deletion of the pass is made below that one open folder, so nothing
// done to its path meanwhile can lead the pass elsewhere. The pass deletes only on the word
// of files it read whole, and never a current resource.
//
// Where each part lives: resource_cleaner.cpp (Run, ReadLocalVersion, the scene-cache sweep
// and the purge), manifest_readers.cpp (the manifests and resource names),
// scene_readers.cpp (scene configurations, NPC lists, tiles and what is kept).
//
// Layer: cleaner/pass/ is the cleaning pass (this object, its readers and its purge rows);
// it uses the platform, input and removal layers, never the program.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cleaner/platform/platform.h"
#include "cleaner/removal/current_paths.h"

class TiXmlDocument;

namespace cleaner {

// Bounds on the tables, so that memory stays bounded whatever the files hold; reaching one
// only ever keeps files: names kept beyond it make the scene step a failed read, and an
// outdated manifest whose entries would pass it is left, with all it names, for a later run.
constexpr std::size_t kKeptNameLimit = 100000;
constexpr std::size_t kStaleEntryLimit = 50000;

class CResourceCleaner {
public:
    // The cleaning pass. Does nothing unless a running client publishes its version;
    // all reading ends before the first deletion. Deletes nothing unless the current
    // manifest was read whole, and no scene file unless every scene configuration and
    // NPC list was. Memory running out ends it like a failed read: nothing more is deleted.
    void Run();

    // --- readers ---

    // The resource version the running client publishes in "LocalVersion"; 0 if none.
    int ReadLocalVersion();
    // A relative resource name with '/' and '\' turned into the platform separator; a
    // separator is appended when the name, as read, names an existing folder.
    static std::string NormalizeResPath(const std::string& name);
    // Fills `currentResources` from the manifest of `localVersion`; sets
    // `currentManifestRead`.
    void LoadCurrentManifest();
    // Refills `keepFiles` from the scene configurations and NPC lists; sets
    // `referencesRead`.
    void CollectReferencedFiles();
    // Each reader of one file: Missing when it is not there, Unreadable when it could not be
    // read whole and parsed (nothing of it is used then).
    ReadStatus ParseSceneConfig(const std::string& path);
    // Keeps the tiles "<base><row>_<column>.jpg" of a rows x columns grid. Tiles are told
    // by their names (see `IsKept`), so a grid of any size costs the same.
    void AddTileNames(const std::string& base, int rows, int columns);
    ReadStatus ParseNpcList(const std::string& path);
    // Feeds every manifest of another version than `localVersion` to `ParseOldManifest`.
    void ScanOldManifests();
    // The version number in a manifest file name ("PetCommunityRes_12.xml" gives 12).
    static int VersionFromFileName(const std::string& fileName);
    void ParseOldManifest(const std::string& path);

    // --- the pass ---

    // True when a current configuration names `path`: it is in `keepFiles` or a tile of
    // one of `tileGrids`.
    bool IsKept(const std::string& path) const;
    // Walks the scene cache and deletes every file in it that is not kept and is no
    // current resource, as it is met (a million files cost no memory).
    void DeleteUnreferenced();
    // Deletes stale resources as the purge row of their resource id says (purge_rows.h),
    // except any that names a current resource or a folder holding one.
    void PurgeStaleResources();
    // Records what no deletion may touch: the current paths by name and what they reach.
    // Called once, before the first deletion of the pass.
    void RecordCurrentResources();

    // The tables, in this order; open to the cleaner's tests.
    int localVersion = 0;
    std::map<std::string, std::string> currentResources;
    std::set<std::string> keepFiles;
    std::map<std::string, std::set<std::string>> staleResources;

    // A Background's tile grid: `prefix` is the full path its tile names start with.
    struct TileGrid {
        std::string prefix;
        int rows = 0;
        int columns = 0;
    };
    // The kept tile grids, beside `keepFiles`, by their prefixes: a file is looked up under
    // the few prefixes its name allows, so many grids cost no more per file than one.
    std::multimap<std::string, TileGrid> tileGrids;

    // The full path of every resource the current manifest names (every entry, whatever
    // its id, never cut to a path buffer): what the purge holds back.
    std::vector<std::string> currentPaths;
    // The current manifest was read whole and names at least one resource.
    bool currentManifestRead = false;
    // Every scene configuration and NPC list that exists was read whole, and every
    // configuration folder that exists was listed.
    bool referencesRead = false;

private:
    // The pass itself; `Run` ends it when memory runs out.
    void RunPass();
    // "common/petsoc", opened at its first use and held until the pass ends; null when it
    // cannot be opened. `path` gets its path.
    Folder* PetsocRoot(std::string& path);
    // The held "common/petsoc" and the steps of the full path `path` below it (joined with
    // the separator); null when it is not held or `path` is not below it.
    Folder* PetsocRootFor(const std::string& path, std::string& relative);
    // The current manifest's full path; false when it does not fit a path buffer.
    bool CurrentManifestPath(const std::string& petsoc, std::string& path) const;
    // Reads the XML file at the full path `path` below "common/petsoc".
    ReadStatus ReadXmlBelow(const std::string& path, TiXmlDocument& document);
    // Lists the folder at the full path `path` below "common/petsoc".
    ReadStatus ListBelow(const std::string& path,
                         const std::function<void(const DirEntry&)>& visit);

    // Full path of a resource name below "common/petsoc"; false when it was cut.
    static bool ResourcePath(const std::string& name, std::string& path);
    void Keep(const std::string& name);
    void WalkConfigFolders(const char* resourceId, const char* fileName,
                           ReadStatus (CResourceCleaner::*parse)(const std::string&));

    std::unique_ptr<Folder> petsocRoot_;
    bool petsocTried_ = false;
    std::size_t staleEntries_ = 0;  // paths held in `staleResources`
    std::unique_ptr<CurrentPaths> currentNames_;  // null until recorded
    CurrentIdentities currentIds_;
};

}  // namespace cleaner
