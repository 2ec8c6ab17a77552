// The cleaner's working object: the resource tables of one cleaning pass, the readers that
// fill them from the client's XML files, and the pass that deletes what they select.
//
// All paths are full paths below the installation folder, joined with the platform's
// separator. Nothing outside "<installation>/common/petsoc" is ever deleted, a path that
// had to be cut to fit a path buffer is never deleted or descended into, and no link below
// that folder is followed when deleting (reading configuration may follow links: that can
// only keep more files).
//
// Where each part lives: resource_cleaner.cpp (Run, ReadLocalVersion and the collecting,
// selecting and deleting steps), manifest_readers.cpp (the manifests and resource names),
// scene_readers.cpp (scene configurations, NPC lists, tiles and what is kept).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace cleaner {

class CResourceCleaner {
public:
    // The cleaning pass. Does nothing unless a running client publishes its version;
    // all reading ends before the first deletion.
    void Run();

    // --- readers ---

    // The resource version the running client publishes in "LocalVersion"; 0 if none.
    int ReadLocalVersion();
    // A relative resource name with '/' and '\' turned into the platform separator; a
    // separator is appended when the name, as read, names an existing folder.
    static std::string NormalizeResPath(const std::string& name);
    // Fills `currentResources` from the manifest of `localVersion`.
    void LoadCurrentManifest();
    // Refills `keepFiles` from the scene configurations and NPC lists.
    void CollectReferencedFiles();
    void ParseSceneConfig(const std::string& path);
    // Keeps the tiles "<base><row>_<column>.jpg" of a rows x columns grid. Tiles are told
    // by their names (see `IsKept`), so a grid of any size costs the same.
    void AddTileNames(const std::string& base, int rows, int columns);
    void ParseNpcList(const std::string& path);
    // Feeds every manifest of another version than `localVersion` to `ParseOldManifest`.
    void ScanOldManifests();
    // The version number in a manifest file name ("PetCommunityRes_12.xml" gives 12).
    static int VersionFromFileName(const std::string& fileName);
    void ParseOldManifest(const std::string& path);

    // --- the pass ---

    // Adds every file below `folder`, at any depth, to `scannedFiles`.
    void CollectFiles(const std::string& folder);
    // True when a current configuration names `path`: it is in `keepFiles` or a tile of
    // one of `tileGrids`.
    bool IsKept(const std::string& path) const;
    // Moves the scanned files that are not kept into `deleteFiles`.
    void SelectUnreferenced();
    void DeleteUnreferenced();
    // Deletes stale resources by the category of their resource id.
    void PurgeStaleResources();

    // The tables, in this order; open to the cleaner's tests.
    int localVersion = 0;
    std::map<std::string, std::string> currentResources;
    std::set<std::string> scannedFiles;
    std::set<std::string> keepFiles;
    std::set<std::string> deleteFiles;
    std::map<std::string, std::set<std::string>> staleResources;

    // A Background's tile grid: `prefix` is the full path its tile names start with.
    struct TileGrid {
        std::string prefix;
        int rows = 0;
        int columns = 0;
    };
    // The kept tile grids, beside `keepFiles`.
    std::vector<TileGrid> tileGrids;

private:
    // Full path of a resource name below "common/petsoc"; false when it was cut.
    static bool ResourcePath(const std::string& name, std::string& path);
    void Keep(const std::string& name);
    void WalkConfigFolders(const char* resourceId, const char* fileName,
                           void (CResourceCleaner::*parse)(const std::string&));
};

}  // namespace cleaner
