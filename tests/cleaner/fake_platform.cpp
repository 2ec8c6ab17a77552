#include "fake_platform.h"

#include <cctype>

#include "ini_text.h"

using cleaner::DirEntry;
using cleaner::EntryKind;

namespace {

// Windows-style wildcard match: '*' and '?', letter case ignored, "*.*" matches all.
bool Matches(const char* wildcard, const char* name)
{
    if (std::string(wildcard) == "*.*")
        return true;
    for (; *wildcard; ++wildcard, ++name) {
        if (*wildcard == '*') {
            for (const char* rest = name;; ++rest) {
                if (Matches(wildcard + 1, rest))
                    return true;
                if (!*rest)
                    return false;
            }
        }
        if (!*name)
            return false;
        if (*wildcard != '?' && std::tolower(static_cast<unsigned char>(*wildcard)) !=
                                    std::tolower(static_cast<unsigned char>(*name)))
            return false;
    }
    return *name == '\0';
}

}  // namespace

FakePlatform::FakePlatform()
{
    cleaner::UsePlatform(this);
    cleaner::ResetFolderCaches();
}

FakePlatform::~FakePlatform()
{
    cleaner::UsePlatform(nullptr);
    cleaner::ResetFolderCaches();
}

std::string FakePlatform::ParentOf(const std::string& path)
{
    std::string::size_type last = path.rfind('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

void FakePlatform::AddFolder(const std::string& path)
{
    for (std::string folder = path; !folder.empty() && folder.back() != ':';
         folder = ParentOf(folder))
        nodes[folder].kind = EntryKind::Directory;
}

void FakePlatform::AddFile(const std::string& path, std::uint64_t size, bool readOnly,
                           bool locked)
{
    AddFolder(ParentOf(path));
    nodes[path] = Node{EntryKind::File, size, readOnly, locked};
}

void FakePlatform::AddLink(const std::string& path)
{
    AddFolder(ParentOf(path));
    nodes[path] = Node{EntryKind::Link, 0, false, false};
}

bool FakePlatform::ListProcessNames(std::vector<std::string>& names)
{
    if (!processListAvailable)
        return false;
    names = processes;
    return true;
}

std::string FakePlatform::CommonAppDataFolder()
{
    ++commonAppDataCalls;
    return commonAppData;
}

bool FakePlatform::ForEachEntry(const std::string& pattern,
                                const std::function<void(const DirEntry&)>& visit)
{
    patterns.push_back(pattern);
    std::string folder = ParentOf(pattern);
    std::string wildcard = pattern.substr(folder.size() + 1);
    auto found = nodes.find(folder);
    if (found == nodes.end() || found->second.kind != EntryKind::Directory)
        return false;
    std::vector<DirEntry> entries;
    for (const char* dot : {".", ".."}) {
        if (Matches(wildcard.c_str(), dot))
            entries.push_back(DirEntry{dot, EntryKind::Directory, 0});
    }
    for (const auto& [path, node] : nodes) {
        if (ParentOf(path) != folder)
            continue;
        std::string name = path.substr(folder.size() + 1);
        if (Matches(wildcard.c_str(), name.c_str()))
            entries.push_back(DirEntry{name, node.kind, node.size});
    }
    // Visit a copy, as the system does: deleting during the walk does not disturb it.
    for (const DirEntry& entry : entries)
        visit(entry);
    return true;
}

bool FakePlatform::IsDirectory(const std::string& path)
{
    auto found = nodes.find(path);
    return found != nodes.end() && found->second.kind == EntryKind::Directory;
}

bool FakePlatform::IsLink(const std::string& path)
{
    auto found = nodes.find(path);
    return found != nodes.end() && found->second.kind == EntryKind::Link;
}

bool FakePlatform::IsReadWrite(const std::string& path)
{
    auto found = nodes.find(path);
    return found != nodes.end() && !found->second.readOnly;
}

void FakePlatform::MakeReadWrite(const std::string& path)
{
    auto found = nodes.find(path);
    if (found != nodes.end())
        found->second.readOnly = false;
}

bool FakePlatform::RemoveFile(const std::string& path)
{
    auto found = nodes.find(path);
    if (found == nodes.end() || found->second.kind != EntryKind::File ||
        found->second.readOnly || found->second.locked)
        return false;
    nodes.erase(found);
    removed.push_back(path);
    return true;
}

bool FakePlatform::RemoveLink(const std::string& path)
{
    auto found = nodes.find(path);
    if (found == nodes.end() || found->second.kind != EntryKind::Link)
        return false;
    nodes.erase(found);
    removed.push_back(path);
    return true;
}

bool FakePlatform::HasChildren(const std::string& folder) const
{
    const std::string prefix = folder + "\\";
    auto next = nodes.lower_bound(prefix);
    return next != nodes.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

bool FakePlatform::RemoveEmptyFolder(const std::string& path)
{
    auto found = nodes.find(path);
    if (found == nodes.end() || found->second.kind != EntryKind::Directory || HasChildren(path))
        return false;
    nodes.erase(found);
    removed.push_back(path);
    return true;
}

void FakePlatform::PauseMilliseconds(unsigned milliseconds)
{
    if (milliseconds == 2)
        ++pauses;
}

bool FakePlatform::ReadSharedText(const std::string& name, std::size_t maxBytes,
                                  std::string& text)
{
    auto found = sharedTexts.find(name);
    if (found == sharedTexts.end())
        return false;
    text = found->second.substr(0, maxBytes);
    return true;
}

bool FakePlatform::WriteIniValue(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& value)
{
    iniFiles[file] = cleaner::SetIniValue(iniFiles[file], section, key, value, "\r\n");
    return true;
}
