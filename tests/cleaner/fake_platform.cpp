#include "tests/cleaner/fake_platform.h"

#include <cstddef>
#include <utility>

#include "cleaner/input/resource_paths.h"
#include "cleaner/platform/entry_verdict.h"
#include "cleaner/platform/ini_text.h"

using cleaner::DirEntry;
using cleaner::EntryKind;

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
    Node& node = nodes[path] = Node{};
    node.size = size;
    node.readOnly = readOnly;
    node.locked = locked;
}

void FakePlatform::AddLink(const std::string& path)
{
    AddFolder(ParentOf(path));
    nodes[path] = Node{};
    nodes[path].kind = EntryKind::Link;
}

void FakePlatform::AddText(const std::string& path, const std::string& text)
{
    AddFile(path, text.size());
    nodes[path].text = text;
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

std::vector<DirEntry> FakePlatform::EntriesOf(const std::string& folder) const
{
    std::vector<DirEntry> entries;
    for (const auto& [path, node] : nodes) {
        if (ParentOf(path) == folder)
            entries.push_back(DirEntry{path.substr(folder.size() + 1),
                                       node.unstatable ? EntryKind::Unknown : node.kind,
                                       node.size});
    }
    return entries;
}

namespace {

// An open folder of the fake tree, named by its path. Deleting behaves as on Windows: a
// read-only file stays unless its attribute is cleared, a locked file stays.
class FakeFolder : public cleaner::Folder {
public:
    FakeFolder(FakePlatform& fake, std::string path) : fake_(fake), path_(std::move(path)) {}

    bool List(const std::function<void(const DirEntry&)>& visit) override
    {
        if (!fake_.IsDirectory(path_))
            return false;
        // A copy, as the system lists: deleting during the walk does not disturb it.
        for (const DirEntry& entry : fake_.EntriesOf(path_))
            visit(entry);
        return true;
    }

    bool Lookup(const std::string& name, DirEntry& entry) override
    {
        auto found = fake_.nodes.find(Child(name));
        if (found == fake_.nodes.end())
            return false;
        entry = DirEntry{name, found->second.kind, found->second.size};
        return true;
    }

    std::unique_ptr<cleaner::Folder> OpenSubfolder(const DirEntry& entry,
                                                   cleaner::FolderAccess) override
    {
        return fake_.OpenRoot(Child(entry.name), nullptr);
    }

    bool CanRemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        auto found = fake_.nodes.find(Child(name));
        return found != fake_.nodes.end() && found->second.kind != EntryKind::Directory &&
               !found->second.locked && (!found->second.readOnly || clearReadOnly);
    }

    bool RemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        if (!CanRemoveEntry(name, clearReadOnly))
            return false;
        fake_.nodes.erase(Child(name));
        fake_.removed.push_back(Child(name));
        return true;
    }

    bool RemoveSubfolder(std::unique_ptr<cleaner::Folder> child, const std::string& name) override
    {
        child.reset();
        std::string path = Child(name);
        auto found = fake_.nodes.find(path);
        if (found == fake_.nodes.end() || found->second.kind != EntryKind::Directory ||
            fake_.HasChildren(path))
            return false;
        fake_.nodes.erase(found);
        fake_.removed.push_back(path);
        return true;
    }

    bool CanRemoveSubfolder(cleaner::Folder&, const std::string& name) override
    {
        return fake_.IsDirectory(Child(name));
    }

    cleaner::FolderId Id() override { return fake_.IdOfPath(path_); }

    bool IdOf(const std::string& name, cleaner::FolderId& id) override
    {
        if (!fake_.Exists(Child(name)))
            return false;
        id = fake_.IdOfPath(Child(name));
        return true;
    }

    // By name only: the fake's links lead nowhere.
    bool Resolve(const std::string& path,
                 const std::function<void(const cleaner::PathStep&)>& visit) override
    {
        std::string at = path_;
        std::vector<std::string> steps;
        cleaner::StepsBelow(path_, path_ + "\\" + path, '\\', steps);
        for (const std::string& step : steps) {
            const std::string next = step == ".." ? FakePlatform::ParentOf(at) : at + "\\" + step;
            auto found = fake_.nodes.find(next);
            if (found == fake_.nodes.end())
                return false;
            visit(cleaner::PathStep{fake_.IdOfPath(at), step, fake_.IdOfPath(next)});
            if (found->second.kind == EntryKind::Link)
                return false;
            at = next;
        }
        return true;
    }

    std::unique_ptr<cleaner::Folder> OpenAgain(const char*) override
    {
        return std::make_unique<FakeFolder>(fake_, path_);
    }

    // Links have no target here: nothing is read through them.
    cleaner::ReadStatus ReadWhole(const std::string& path, std::size_t limit,
                                  std::string& text) override
    {
        const FakePlatform::Node* node = Below(path);
        if (!node || node->kind == EntryKind::Link)
            return cleaner::ReadStatus::Missing;
        if (node->kind != EntryKind::File || node->unreadable || node->text.size() > limit)
            return cleaner::ReadStatus::Unreadable;
        text = node->text;
        return cleaner::ReadStatus::Read;
    }

    cleaner::ReadStatus ListBelow(const std::string& path,
                                  const std::function<void(const DirEntry&)>& visit) override
    {
        const FakePlatform::Node* node = Below(path);
        if (!node || node->kind == EntryKind::Link)
            return cleaner::ReadStatus::Missing;
        if (node->kind != EntryKind::Directory || node->unreadable)
            return cleaner::ReadStatus::Unreadable;
        return FakeFolder(fake_, Child(path)).List(visit) ? cleaner::ReadStatus::Read
                                                          : cleaner::ReadStatus::Unreadable;
    }

private:
    std::string Child(const std::string& name) const { return path_ + "\\" + name; }

    const FakePlatform::Node* Below(const std::string& path) const
    {
        auto found = fake_.nodes.find(Child(path));
        return found == fake_.nodes.end() ? nullptr : &found->second;
    }

    FakePlatform& fake_;
    std::string path_;
};

}  // namespace

// No link is ever opened as a folder: the fake's links have no target.
std::unique_ptr<cleaner::Folder> FakePlatform::OpenRoot(const std::string& path, const char*)
{
    if (!IsDirectory(path))
        return nullptr;
    opened.push_back(path);
    return std::make_unique<FakeFolder>(*this, path);
}

std::string FakePlatform::NameKey(const std::string& name) const
{
    if (!foldsCase)
        return name;
    std::string key = cleaner::TrimmedName(name);
    for (char& c : key)
        c = cleaner::AsciiLower(c);
    return key.empty() ? name : key;
}

cleaner::FolderId FakePlatform::IdOfPath(const std::string& path)
{
    cleaner::FolderId id;
    id.index = ids.emplace(path, ids.size() + 1).first->second;
    return id;
}

bool FakePlatform::IsDirectory(const std::string& path)
{
    auto found = nodes.find(path);
    return found != nodes.end() && found->second.kind == EntryKind::Directory;
}

bool FakePlatform::HasChildren(const std::string& folder) const
{
    const std::string prefix = folder + "\\";
    auto next = nodes.lower_bound(prefix);
    return next != nodes.end() && next->first.compare(0, prefix.size(), prefix) == 0;
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

void FakePlatform::Write(cleaner::Stream stream, const std::string& text)
{
    (stream == cleaner::Stream::Output ? output : errors) += text;
}
