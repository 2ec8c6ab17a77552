// Reading the resource manifests: the current one into `currentResources`, the outdated
// ones into `staleResources`.
#include <tinyxml.h>

#include "cleaner/folders.h"
#include "cleaner/format_path.h"
#include "cleaner/platform.h"
#include "cleaner/resource_cleaner.h"
#include "cleaner/resource_paths.h"
#include "cleaner/xml_lookup.h"

namespace cleaner {

namespace {
constexpr char kManifestBaseName[] = "PetCommunityRes";
constexpr char kManifestKey[] = "PetSocResXML";

// Calls `visit(id, name)` for each ResourceProperty that has both attributes.
template <typename Visit>
void ForEachResource(const TiXmlDocument& document, Visit visit)
{
    const TiXmlElement* list = Child(document.FirstChildElement("Config"), "NormalRes");
    for (const TiXmlElement* entry = Child(list, "ResourceProperty"); entry;
         entry = entry->NextSiblingElement("ResourceProperty")) {
        const char* id = entry->Attribute("ResID");
        const char* name = entry->Attribute("ResName");
        if (id && name)
            visit(id, name);
    }
}
}  // namespace

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

void CResourceCleaner::LoadCurrentManifest()
{
    std::string folder;
    char file[kPathCapacity];
    if (!PetsocFolder(folder) ||
        !FormatPath(file, sizeof file, "%s%c%s_%d.xml", folder.c_str(),
                    CurrentPlatform().Separator(), kManifestBaseName, localVersion))
        return;
    TiXmlDocument document(file);
    if (!document.LoadFile())
        return;
    ForEachResource(document, [this](const char* id, const char* name) {
        std::string path;
        ResourcePath(name, path);  // a cut path only ever takes part in comparisons
        currentResources.emplace(id, path);  // the first entry for an id wins
    });
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
    char pattern[kPathCapacity];
    if (!PetsocFolder(folder) ||
        !FormatPath(pattern, sizeof pattern, "%s%c%s_*.xml", folder.c_str(), separator,
                    kManifestBaseName))
        return;
    CurrentPlatform().ForEachEntry(pattern, [&](const DirEntry& entry) {
        if (entry.name == "." || entry.name == ".." ||
            VersionFromFileName(entry.name) == localVersion)
            return;
        char path[kPathCapacity];
        if (FormatPath(path, sizeof path, "%s%c%s", folder.c_str(), separator,
                       entry.name.c_str()))
            ParseOldManifest(path);
    });
}

void CResourceCleaner::ParseOldManifest(const std::string& path)
{
    TiXmlDocument document(path.c_str());
    if (!document.LoadFile())
        return;
    ForEachResource(document, [this](const char* id, const char* name) {
        std::string oldPath;
        // A name that could lead outside, or a cut path, is never recorded for deletion.
        if (!IsSafeResourceName(name) || !ResourcePath(name, oldPath))
            return;
        auto current = currentResources.find(id);
        if (current == currentResources.end() || current->second != oldPath)
            staleResources[id].insert(oldPath);
    });
    staleResources[kManifestKey].insert(path);
}

}  // namespace cleaner
