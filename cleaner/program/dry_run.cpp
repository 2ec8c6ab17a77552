#include "cleaner/program/dry_run.h"

#include <cstddef>
#include <cstdio>
#include <utility>

#include "cleaner/program/main_sequence.h"
#include "cleaner/removal/roots.h"

namespace cleaner {

// A folder of the platform below, as it would look while the run deletes in it.
class DryRunFolder : public Folder {
public:
    DryRunFolder(std::unique_ptr<Folder> real, std::shared_ptr<const DryRunPlatform::PathNode> path,
                 const char* purpose, DryRunPlatform& run)
        : real_(std::move(real)), id_(real_->Id()), path_(std::move(path)), purpose_(purpose),
          run_(run)
    {
    }

    bool List(const std::function<void(const DirEntry&)>& visit) override
    {
        return real_->List([&](const DirEntry& entry) {
            if (!run_.IsRemoved(id_, entry.name))
                visit(entry);
        });
    }

    bool Lookup(const std::string& name, DirEntry& entry) override
    {
        return !run_.IsRemoved(id_, name) && real_->Lookup(name, entry);
    }

    std::unique_ptr<Folder> OpenSubfolder(const DirEntry& entry, FolderAccess access) override
    {
        if (run_.IsRemoved(id_, entry.name))
            return nullptr;
        std::unique_ptr<Folder> real = real_->OpenSubfolder(entry, access);
        if (!real)
            return nullptr;
        auto path = std::make_shared<const DryRunPlatform::PathNode>(
            DryRunPlatform::PathNode{path_, entry.name});
        return std::make_unique<DryRunFolder>(std::move(real), std::move(path), purpose_, run_);
    }

    bool RemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        if (!CanRemoveEntry(name, clearReadOnly))
            return false;
        run_.Remove(id_, name, *path_, purpose_);
        return true;
    }

    bool CanRemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        return !run_.IsRemoved(id_, name) && real_->CanRemoveEntry(name, clearReadOnly);
    }

    // The folder goes when nothing is left in it and the system would let it go.
    bool RemoveSubfolder(std::unique_ptr<Folder> child, const std::string& name) override
    {
        if (!CanRemoveSubfolder(*child, name))
            return false;
        child.reset();
        run_.Remove(id_, name, *path_, purpose_);
        return true;
    }

    bool CanRemoveSubfolder(Folder& child, const std::string& name) override
    {
        bool empty = true;
        child.List([&empty](const DirEntry&) { empty = false; });
        return empty && !run_.IsRemoved(id_, name) &&
               real_->CanRemoveSubfolder(*static_cast<DryRunFolder&>(child).real_, name);
    }

    FolderId Id() override { return id_; }

    std::unique_ptr<Folder> OpenAgain(const char* purpose) override
    {
        std::unique_ptr<Folder> real = real_->OpenAgain(purpose);
        if (!real)
            return nullptr;
        return std::make_unique<DryRunFolder>(std::move(real), path_, purpose, run_);
    }

    bool IdOf(const std::string& name, FolderId& id) override
    {
        return !run_.IsRemoved(id_, name) && real_->IdOf(name, id);
    }

    // A step the run has deleted by then ends the path there.
    bool Resolve(const std::string& path,
                 const std::function<void(const PathStep&)>& visit) override
    {
        bool gone = false;
        bool found = real_->Resolve(path, [&](const PathStep& step) {
            gone = gone || run_.IsRemoved(step.folder, step.name);
            if (!gone)
                visit(step);
        });
        return found && !gone;
    }

    // A read finds what the run has deleted by then gone: every entry the path passes
    // through, links followed, is compared with what was deleted (the client-folder removal
    // comes before the reads of the pass, and a configuration may be reached through links).
    ReadStatus ReadWhole(const std::string& path, std::size_t limit, std::string& text) override
    {
        FolderId ignored;
        return ReachesRemoved(path, ignored) ? ReadStatus::Missing
                                             : real_->ReadWhole(path, limit, text);
    }

    ReadStatus ListBelow(const std::string& path,
                         const std::function<void(const DirEntry&)>& visit) override
    {
        FolderId listed = id_;
        if (ReachesRemoved(path, listed))
            return ReadStatus::Missing;
        return real_->ListBelow(path, [&](const DirEntry& entry) {
            if (!run_.IsRemoved(listed, entry.name))
                visit(entry);
        });
    }

private:
    // True when `path` passes through an entry the run has deleted; `last` gets the
    // identity of the entry it leads to (left as it is when it reports no step).
    bool ReachesRemoved(const std::string& path, FolderId& last)
    {
        bool gone = false;
        real_->Resolve(path, [&](const PathStep& step) {
            gone = gone || run_.IsRemoved(step.folder, step.name);
            last = step.id;
        });
        return gone;
    }

    std::unique_ptr<Folder> real_;
    FolderId id_;
    std::shared_ptr<const DryRunPlatform::PathNode> path_;
    const char* purpose_;
    DryRunPlatform& run_;
};

std::string QuotedPath(const std::string& relative, char separator)
{
    const auto special = [separator](unsigned char c) {
        return c < 0x20 || c == 0x7F || c == '"' || (c == '\\' && separator != '\\');
    };
    if (std::none_of(relative.begin(), relative.end(), special))
        return relative;
    std::string quoted = "\"";
    for (unsigned char c : relative) {
        switch (c) {
        case '\t': quoted += "\\t"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char octal[5];
                std::snprintf(octal, sizeof octal, "\\%03o", c);
                quoted += octal;
            } else {
                quoted += static_cast<char>(c);
            }
        }
    }
    return quoted + '"';
}

DryRunPlatform::DryRunPlatform(Platform& next, std::vector<DryRunRoot> roots,
                               std::function<void(const std::string&)> report)
    : ForwardingPlatform(next), report_(std::move(report)), roots_(std::move(roots))
{
}

std::unique_ptr<Folder> DryRunPlatform::OpenRoot(const std::string& path, const char* purpose)
{
    std::unique_ptr<Folder> real = next_.OpenRoot(path, purpose);
    if (!real)
        return nullptr;
    return std::make_unique<DryRunFolder>(std::move(real),
                                          std::make_shared<const PathNode>(PathNode{nullptr, path}),
                                          purpose, *this);
}

// Recorded only when the real run would write the file.
bool DryRunPlatform::WriteIniValue(const std::string& file, const std::string&,
                                   const std::string& key, const std::string& value)
{
    if (!next_.CanWriteIniValue(file))
        return false;
    iniRecords_.push_back(key + "=" + value);
    return true;
}

bool DryRunPlatform::IsRemoved(const FolderId& folder, const std::string& name) const
{
    auto found = removed_.find(folder);
    return found != removed_.end() && found->second.count(NameKey(name)) != 0;
}

void DryRunPlatform::Remove(const FolderId& folder, const std::string& name,
                            const PathNode& where, const char* purpose)
{
    removed_[folder].insert(NameKey(name));
    report_(Line(where, name) + '\t' + purpose);
}

// The full path is put together only for the line: no folder keeps one.
std::string DryRunPlatform::Line(const PathNode& where, const std::string& name) const
{
    std::vector<const std::string*> steps{&name};
    for (const PathNode* node = &where; node; node = node->parent.get())
        steps.push_back(&node->name);
    std::string path;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step)
        path += (path.empty() ? "" : std::string(1, Separator())) + **step;
    for (const DryRunRoot& root : roots_) {
        const std::string& top = root.path;
        if (top.empty() || path.compare(0, top.size(), top) != 0 ||
            (path.size() != top.size() && path[top.size()] != Separator()))
            continue;
        const std::string relative =
            path.size() == top.size() ? std::string(".") : path.substr(top.size() + 1);
        return std::string(root.label) + ':' + QuotedPath(relative, Separator());
    }
    return QuotedPath(path, Separator());  // every deletion lies below a root
}

int RunDryRun(CResourceCleaner& resourceCleaner)
{
    constexpr std::size_t kFlushSize = 64 * 1024;
    Platform& system = CurrentPlatform();
    std::string output;
    std::string client, petsoc;
    std::vector<DryRunRoot> roots{{"client", ClientFolder(client) ? client : std::string()},
                                  {"petsoc", PetsocFolder(petsoc) ? petsoc : std::string()}};
    DryRunPlatform dryRun(system, std::move(roots), [&](const std::string& line) {
        output += line + '\n';
        if (output.size() >= kFlushSize) {
            system.Write(Stream::Output, output);
            output.clear();
        }
    });
    {
        PlatformScope scope(dryRun);
        RunCleaner(resourceCleaner);
    }
    // The closing lines: the INI writes the run made, captured (none when it wrote none).
    for (const std::string& record : dryRun.IniRecords())
        output += record + '\n';
    system.Write(Stream::Output, output);
    return 0;
}

}  // namespace cleaner
