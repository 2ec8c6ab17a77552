// Reading the resource manifests: the current one into `currentResources`, the outdated
// ones into `staleResources`.
#include <tinyxml.h>

#include <string>
#include <utility>
#include <vector>

#include "cleaner/input/resource_paths.h"
#include "cleaner/input/xml_input.h"
#include "cleaner/input/xml_lookup.h"
#include "cleaner/pass/resource_cleaner.h"
#include "cleaner/platform/folders.h"
#include "cleaner/platform/format_path.h"
#include "cleaner/platform/platform.h"
#include "cleaner/removal/roots.h"

namespace cleaner {

namespace {
constexpr char kManifestBaseName[] = "PetCommunityRes";
constexpr char kManifestKey[] = "PetSocResXML";

// Calls `visit(id, name)` for each ResourceProperty that has both attributes; gives the
// number of ResourceProperty elements.
template <typename Visit>
int ForEachResource(const TiXmlDocument& document, Visit visit)
{
    int count = 0;
    const TiXmlElement* list = Child(document.FirstChildElement("Config"), "NormalRes");
    for (const TiXmlElement* entry = Child(list, "ResourceProperty"); entry;
         entry = entry->NextSiblingElement("ResourceProperty"), ++count) {
        const char* id = entry->Attribute("ResID");
        const char* name = entry->Attribute("ResName");
        if (id && name)
            visit(id, name);
    }
    return count;
}

// "PetCommunityRes_*.xml" as the system's wildcard matches it: letter case ignored.
bool IsManifestName(const std::string& name)
{
    const std::string head = "petcommunityres_", tail = ".xml";
    if (name.size() < head.size() + tail.size())
        return false;
    std::string lower = name;
    for (char& c : lower)
        c = AsciiLower(c);
    return lower.compare(0, head.size(), head) == 0 &&
           lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

bool CResourceCleaner::CurrentManifestPath(const std::string& petsoc, std::string& path) const
{
    char file[kPathCapacity];
    bool fits = FormatPath(file, sizeof file, "%s%c%s_%d.xml", petsoc.c_str(),
                           CurrentPlatform().Separator(), kManifestBaseName, localVersion);
    path = file;
    return fits;
}

Folder* CResourceCleaner::PetsocRootFor(const std::string& path, std::string& relative)
{
    std::string petsoc;
    Folder* root = PetsocRoot(petsoc);
    std::vector<std::string> steps;
    const char separator = CurrentPlatform().Separator();
    if (!root || !StepsBelow(petsoc, path, separator, steps))
        return nullptr;
    relative = JoinSteps(steps, separator);
    return root;
}

ReadStatus CResourceCleaner::ReadXmlBelow(const std::string& path, TiXmlDocument& document)
{
    std::string relative;
    Folder* root = PetsocRootFor(path, relative);
    return root ? ReadXml(*root, relative, document) : ReadStatus::Unreadable;
}

ReadStatus CResourceCleaner::ListBelow(const std::string& path,
                                       const std::function<void(const DirEntry&)>& visit)
{
    std::string relative;
    Folder* root = PetsocRootFor(path, relative);
    return root ? root->ListBelow(relative, visit) : ReadStatus::Unreadable;
}

bool CResourceCleaner::ResourcePath(const std::string& name, std::string& path)
{
    const char separator = CurrentPlatform().Separator();
    char full[kPathCapacity];
    bool fits = FormatPath(full, sizeof full, "%s%ccommon%cpetsoc%c%s", GetModuleDir().c_str(),
                           separator, separator, separator, NormalizeResPath(name).c_str());
    path = full;
    return fits;
}

std::string CResourceCleaner::NormalizeResPath(const std::string& name)
{
    Platform& platform = CurrentPlatform();
    const char separator = platform.Separator();
    std::string path = name;
    for (char& c : path) {
        if (c == '/' || c == '\\')
            c = separator;
    }
    // Intended: the raw name is tested against the current folder, not below the installation.
    if (platform.IsDirectory(name) && (path.empty() || path.back() != separator))
        path += separator;
    return path;
}

// The manifest must be read whole, from a path that was not cut, and name resources: the
// pass deletes only on its word.
void CResourceCleaner::LoadCurrentManifest()
{
    currentManifestRead = false;
    std::string petsoc, file;
    TiXmlDocument document;
    if (!PetsocFolder(petsoc) || !CurrentManifestPath(petsoc, file) ||
        ReadXmlBelow(file, document) != ReadStatus::Read)
        return;
    const char separator = CurrentPlatform().Separator();
    int resources = ForEachResource(document, [&](const char* id, const char* name) {
        // What no purge may touch: every entry, each path whole (never cut).
        currentPaths.push_back(petsoc + separator + NormalizeResPath(name));
        char cut[kPathCapacity];  // the table's path: a cut one only takes part in comparisons
        FormatPath(cut, sizeof cut, "%s", currentPaths.back().c_str());
        currentResources.emplace(id, cut);  // the first entry for an id wins
    });
    currentManifestRead = resources > 0;
}

int CResourceCleaner::VersionFromFileName(const std::string& fileName)
{
    std::string::size_type underscore = fileName.rfind('_');
    std::string number =
        underscore == std::string::npos ? fileName : fileName.substr(underscore + 1);
    std::string::size_type dot = number.rfind('.');
    if (dot != std::string::npos)
        number.erase(dot, 4);
    return LeadingInt(number.c_str());
}

void CResourceCleaner::ScanOldManifests()
{
    const char separator = CurrentPlatform().Separator();
    std::string folder;
    Folder* root = PetsocRoot(folder);
    if (!root)
        return;
    std::vector<std::string> paths;
    root->List([&](const DirEntry& entry) {
        char path[kPathCapacity];
        if (IsManifestName(entry.name) && VersionFromFileName(entry.name) != localVersion &&
            FormatPath(path, sizeof path, "%s%c%s", folder.c_str(), separator,
                       entry.name.c_str()))
            paths.push_back(path);
    });
    for (const std::string& path : paths)
        ParseOldManifest(path);
}

void CResourceCleaner::ParseOldManifest(const std::string& path)
{
    TiXmlDocument document;
    if (ReadXmlBelow(path, document) != ReadStatus::Read)
        return;
    std::vector<std::pair<std::string, std::string>> stale;  // id, old path
    ForEachResource(document, [&](const char* id, const char* name) {
        std::string oldPath;
        // A name that could lead outside, or a cut path, is never recorded for deletion.
        if (!IsSafeResourceName(name) || !ResourcePath(name, oldPath))
            return;
        auto current = currentResources.find(id);
        if (current == currentResources.end() || current->second != oldPath)
            stale.emplace_back(id, oldPath);
    });
    std::size_t added = 1;  // the manifest itself, and what no earlier one recorded
    for (const auto& [id, oldPath] : stale) {
        auto recorded = staleResources.find(id);
        added += recorded == staleResources.end() || !recorded->second.count(oldPath) ? 1 : 0;
    }
    if (staleEntries_ + added > kStaleEntryLimit)
        return;  // kept whole, with all it names, for a later run
    for (const auto& [id, oldPath] : stale)
        staleEntries_ += staleResources[id].insert(oldPath).second ? 1 : 0;
    staleEntries_ += staleResources[kManifestKey].insert(path).second ? 1 : 0;
}

}  // namespace cleaner
