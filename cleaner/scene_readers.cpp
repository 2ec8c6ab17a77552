// Reading the scene configurations and NPC lists into `keepFiles`.
#include <tinyxml.h>

#include <vector>

#include "format_path.h"
#include "platform.h"
#include "resource_cleaner.h"
#include "resource_paths.h"
#include "xml_lookup.h"

namespace cleaner {

namespace {
// Far beyond any real scene's grid; keeps a malformed grid size from exhausting memory.
constexpr long long kMaxTiles = 65536;
}  // namespace

void CResourceCleaner::Keep(const std::string& name)
{
    std::string path;
    ResourcePath(name, path);  // a cut path can only keep, never delete
    keepFiles.insert(path);
}

void CResourceCleaner::CollectReferencedFiles()
{
    keepFiles.clear();
    WalkConfigFolders("SceneConfigure", "Config.xml", &CResourceCleaner::ParseSceneConfig);
    WalkConfigFolders("NPCConfigure", "NpcList.xml", &CResourceCleaner::ParseNpcList);
}

// Parses `fileName` in each subfolder (one level, links not entered) of the folder that
// `resourceId` names in the current manifest.
void CResourceCleaner::WalkConfigFolders(const char* resourceId, const char* fileName,
                                         void (CResourceCleaner::*parse)(const std::string&))
{
    auto found = currentResources.find(resourceId);
    if (found == currentResources.end())
        return;
    const std::string& folder = found->second;
    const char separator = CurrentPlatform().Separator();
    char pattern[kPathCapacity];
    if (!FormatPath(pattern, sizeof pattern, "%s%c*", folder.c_str(), separator))
        return;
    std::vector<std::string> files;
    CurrentPlatform().ForEachEntry(pattern, [&](const DirEntry& entry) {
        if (entry.kind != EntryKind::Directory || entry.name == "." || entry.name == "..")
            return;
        char file[kPathCapacity];
        FormatPath(file, sizeof file, "%s%c%s%c%s", folder.c_str(), separator,
                   entry.name.c_str(), separator, fileName);
        files.push_back(file);
    });
    for (const std::string& file : files)
        (this->*parse)(file);
}

void CResourceCleaner::ParseSceneConfig(const std::string& path)
{
    TiXmlDocument document(path.c_str());
    if (!document.LoadFile())
        return;
    const TiXmlElement* model = Child(document.FirstChildElement("Config"), "SceneModel");
    const TiXmlElement* background = Child(model, "Background");
    const char* columns = Attr(background, "cols");
    const char* rows = Attr(background, "rows");
    const char* tileBase = Attr(Child(background, "Path"), "value");
    if (columns && rows && tileBase)
        AddTileNames(tileBase, LeadingInt(rows), LeadingInt(columns));

    const auto keep = [this](const char* name) {
        if (name)
            Keep(name);
    };
    keep(Attr(Child(After(model, background, "Navigator"), "Path"), "value"));

    const TiXmlElement* library = After(model, background, "EntityModelLib");
    for (const TiXmlElement* entity = Child(library, "EntityModel"); entity;
         entity = entity->NextSiblingElement("EntityModel"))
        keep(Attr(Child(entity, "View"), "path"));

    const TiXmlElement* map = After(model, library ? library : background, "Map");
    const TiXmlElement* smallMap = Child(map, "SmallMap");
    keep(Attr(smallMap, "path"));
    keep(Attr(After(map, smallMap, "LargeMap"), "path"));
}

void CResourceCleaner::AddTileNames(const std::string& base, int rows, int columns)
{
    if (rows <= 0 || columns <= 0)
        return;  // no tiles; also spares a long empty loop over a huge row count
    long long tiles = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (++tiles > kMaxTiles)
                return;
            Keep(base + std::to_string(row) + "_" + std::to_string(column) + ".jpg");
        }
    }
}

void CResourceCleaner::ParseNpcList(const std::string& path)
{
    TiXmlDocument document(path.c_str());
    if (!document.LoadFile())
        return;
    const TiXmlElement* list = Child(document.FirstChildElement("Config"), "NpcList");
    for (const TiXmlElement* npc = Child(list, "Npc"); npc; npc = npc->NextSiblingElement("Npc")) {
        const TiXmlElement* param = Child(Child(npc, "ParamList"), "Param");
        const TiXmlNode* content = param ? param->FirstChild() : nullptr;
        if (content && content->ToText())
            Keep(content->Value());
    }
}

}  // namespace cleaner
