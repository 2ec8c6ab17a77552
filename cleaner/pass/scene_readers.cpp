// Reading the scene configurations and NPC lists into `keepFiles`.
#include <tinyxml.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "cleaner/input/resource_paths.h"
#include "cleaner/input/xml_lookup.h"
#include "cleaner/pass/resource_cleaner.h"
#include "cleaner/platform/folders.h"
#include "cleaner/platform/format_path.h"
#include "cleaner/platform/platform.h"

namespace cleaner {

namespace {

// Reads a number as "%d" writes a non-negative int: digits only, no sign, no leading zero.
bool ReadTileNumber(const std::string& text, std::string::size_type& at, long long& value)
{
    std::string::size_type start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 11)
        value = value * 10 + (text[at++] - '0');
    std::string::size_type digits = at - start;
    return digits > 0 && (digits == 1 || text[start] != '0') && value <= INT_MAX;
}

// True when `tail` is "<row>_<column>.jpg" of a tile inside the grid.
bool IsTileTail(const std::string& tail, int rows, int columns)
{
    std::string::size_type at = 0;
    long long row = 0, column = 0;
    if (!ReadTileNumber(tail, at, row) || row >= rows || at >= tail.size() || tail[at++] != '_' ||
        !ReadTileNumber(tail, at, column) || column >= columns)
        return false;
    return tail.compare(at, std::string::npos, ".jpg") == 0;
}

// True when a tile's tail "<row>_<column>.jpg" of the grid can be longer than `part` and
// start with it: `part` is what is left of a tile name cut to a path buffer.
bool IsCutTileTail(const std::string& part, int rows, int columns)
{
    std::string::size_type at = 0;
    long long row = 0, column = 0;
    if (at == part.size())
        return true;  // cut right after the prefix
    if (!ReadTileNumber(part, at, row) || row >= rows)
        return false;
    if (at == part.size())
        return true;  // a row with these first digits: this row itself
    if (part[at++] != '_')
        return false;
    if (at == part.size())
        return true;
    if (!ReadTileNumber(part, at, column) || column >= columns)
        return false;
    const std::string rest = part.substr(at);
    return rest.size() < 4 && std::string(".jpg").compare(0, rest.size(), rest) == 0;
}

// The longest tile name of the grid: its last row and column have the most digits.
std::string::size_type LongestTile(const CResourceCleaner::TileGrid& grid)
{
    return grid.prefix.size() + std::to_string(grid.rows - 1).size() + 1 +
           std::to_string(grid.columns - 1).size() + 4;
}

bool IsTileOf(const CResourceCleaner::TileGrid& grid, const std::string& path)
{
    const std::string& prefix = grid.prefix;
    // A kept tile name is cut to a path buffer: a path that long is kept when a tile of the
    // grid is longer than the buffer and its cut form can be that path.
    if (path.size() >= kPathCapacity - 1 && LongestTile(grid) >= kPathCapacity) {
        std::string::size_type common = std::min(prefix.size(), path.size());
        if (path.compare(0, common, prefix, 0, common) != 0)
            return false;
        if (prefix.size() >= path.size() ||
            IsCutTileTail(path.substr(prefix.size()), grid.rows, grid.columns))
            return true;
    }
    return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
           IsTileTail(path.substr(prefix.size()), grid.rows, grid.columns);
}

}  // namespace

void CResourceCleaner::Keep(const std::string& name)
{
    if (keepFiles.size() + tileGrids.size() >= kKeptNameLimit) {
        referencesRead = false;  // what is named beyond the bound is not known: keep all
        return;
    }
    std::string path;
    ResourcePath(name, path);  // a cut path can only keep, never delete
    keepFiles.insert(path);
}

void CResourceCleaner::CollectReferencedFiles()
{
    keepFiles.clear();
    tileGrids.clear();
    referencesRead = true;
    WalkConfigFolders("SceneConfigure", "Config.xml", &CResourceCleaner::ParseSceneConfig);
    WalkConfigFolders("NPCConfigure", "NpcList.xml", &CResourceCleaner::ParseNpcList);
}

// Parses `fileName` in each subfolder (one level, links followed) of the folder that
// `resourceId` names in the current manifest. What is missing keeps nothing; what is there
// but cannot be listed or read whole, or whose path was cut, clears `referencesRead`.
void CResourceCleaner::WalkConfigFolders(const char* resourceId, const char* fileName,
                                         ReadStatus (CResourceCleaner::*parse)(const std::string&))
{
    // Subfolders that are links are read too, and entries of unknown kind: reading can only
    // keep more files, or tell that they could not be read.
    auto found = currentResources.find(resourceId);
    if (found == currentResources.end())
        return;
    const std::string& folder = found->second;
    const char separator = CurrentPlatform().Separator();
    std::vector<std::string> files;
    ReadStatus listed = ReadStatus::Unreadable;
    if (folder.size() + 2 < kPathCapacity)  // its search pattern "<folder>\*" must fit, as ever
        listed = ListBelow(folder, [&](const DirEntry& entry) {
            if (entry.kind == EntryKind::File)
                return;
            char file[kPathCapacity];
            if (FormatPath(file, sizeof file, "%s%c%s%c%s", folder.c_str(), separator,
                           entry.name.c_str(), separator, fileName))
                files.push_back(file);
            else
                referencesRead = false;
        });
    if (listed == ReadStatus::Unreadable)
        referencesRead = false;
    for (const std::string& file : files) {
        if ((this->*parse)(file) == ReadStatus::Unreadable)
            referencesRead = false;
    }
}

ReadStatus CResourceCleaner::ParseSceneConfig(const std::string& path)
{
    TiXmlDocument document;
    ReadStatus status = ReadXmlBelow(path, document);
    if (status != ReadStatus::Read)
        return status;
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
    return status;
}

void CResourceCleaner::AddTileNames(const std::string& base, int rows, int columns)
{
    if (rows <= 0 || columns <= 0)
        return;
    if (keepFiles.size() + tileGrids.size() >= kKeptNameLimit) {
        referencesRead = false;
        return;
    }
    const char separator = CurrentPlatform().Separator();
    std::string prefix = GetModuleDir() + separator + "common" + separator + "petsoc" + separator;
    for (char c : base)
        prefix += (c == '/' || c == '\\') ? separator : c;
    tileGrids.emplace(prefix, TileGrid{prefix, rows, columns});
}

// A tile "<prefix><row>_<column>.jpg" has its prefix end somewhere in the row's (at most
// 11) digits, so only those prefixes are looked up. A path cut to a path buffer may be
// any grid's prefix cut short, or start with one: every prefix of it is looked up, and
// every grid whose prefix starts with it.
bool CResourceCleaner::IsKept(const std::string& path) const
{
    if (keepFiles.count(path))
        return true;
    const auto anyTileOf = [&](std::string::size_type end) {
        auto range = tileGrids.equal_range(path.substr(0, end));
        return std::any_of(range.first, range.second,
                           [&](const auto& grid) { return IsTileOf(grid.second, path); });
    };
    if (path.size() >= kPathCapacity - 1) {
        for (std::string::size_type end = 0; end <= path.size(); ++end) {
            if (anyTileOf(end))
                return true;
        }
        auto next = tileGrids.lower_bound(path);
        return next != tileGrids.end() && next->first.compare(0, path.size(), path) == 0;
    }
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string::size_type at = path.size() >= 4 ? path.size() - 4 : 0;  // before ".jpg"
    while (at > 0 && isDigit(path[at - 1]))
        --at;  // the column
    if (at == 0 || path[at - 1] != '_')
        return false;
    const std::string::size_type rowEnd = at - 1;
    for (std::string::size_type end = rowEnd; end > 0 && rowEnd - end < 11 &&
                                              isDigit(path[end - 1]);
         --end) {
        if (anyTileOf(end - 1))
            return true;
    }
    return false;
}

ReadStatus CResourceCleaner::ParseNpcList(const std::string& path)
{
    TiXmlDocument document;
    ReadStatus status = ReadXmlBelow(path, document);
    if (status != ReadStatus::Read)
        return status;
    const TiXmlElement* list = Child(document.FirstChildElement("Config"), "NpcList");
    for (const TiXmlElement* npc = Child(list, "Npc"); npc; npc = npc->NextSiblingElement("Npc")) {
        const TiXmlElement* param = Child(Child(npc, "ParamList"), "Param");
        const TiXmlNode* content = param ? param->FirstChild() : nullptr;
        if (content && content->ToText())
            Keep(content->Value());
    }
    return status;
}

}  // namespace cleaner
