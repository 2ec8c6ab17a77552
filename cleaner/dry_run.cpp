#include "cleaner/dry_run.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <utility>

#include "cleaner/main_sequence.h"
#include "cleaner/resource_paths.h"

namespace cleaner {

namespace {

// A folder of the platform below, as it would look while the run deletes in it.
class DryRunFolder : public Folder {
public:
    DryRunFolder(std::unique_ptr<Folder> real, std::string path, const char* purpose,
                 DryRunPlatform& run)
        : real_(std::move(real)), path_(std::move(path)), purpose_(purpose), run_(run)
    {
    }

    bool List(const std::function<void(const DirEntry&)>& visit) override
    {
        return real_->List([&](const DirEntry& entry) {
            if (!run_.IsRemoved(Child(entry.name)))
                visit(entry);
        });
    }

    bool Lookup(const std::string& name, DirEntry& entry) override
    {
        return !run_.IsRemoved(Child(name)) && real_->Lookup(name, entry);
    }

    std::unique_ptr<Folder> OpenSubfolder(const DirEntry& entry, FolderAccess access) override
    {
        if (run_.IsRemoved(Child(entry.name)))
            return nullptr;
        std::unique_ptr<Folder> real = real_->OpenSubfolder(entry, access);
        if (!real)
            return nullptr;
        return std::make_unique<DryRunFolder>(std::move(real), Child(entry.name), purpose_,
                                              run_);
    }

    bool RemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        if (!CanRemoveEntry(name, clearReadOnly))
            return false;
        run_.Remove(Child(name), purpose_);
        return true;
    }

    bool CanRemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        return !run_.IsRemoved(Child(name)) && real_->CanRemoveEntry(name, clearReadOnly);
    }

    std::unique_ptr<Folder> OpenAgain(const char* purpose) override
    {
        std::unique_ptr<Folder> real = real_->OpenAgain(purpose);
        if (!real)
            return nullptr;
        return std::make_unique<DryRunFolder>(std::move(real), path_, purpose, run_);
    }

    // Reading ends before the first deletion of the pass; the used-space walk, which comes
    // after, lists through `List`.
    ReadStatus ReadWhole(const std::string& path, std::size_t limit, std::string& text) override
    {
        return run_.IsRemoved(Child(path)) ? ReadStatus::Missing
                                            : real_->ReadWhole(path, limit, text);
    }

    ReadStatus ListBelow(const std::string& path,
                         const std::function<void(const DirEntry&)>& visit) override
    {
        if (run_.IsRemoved(Child(path)))
            return ReadStatus::Missing;
        const std::string folder = Child(path);
        return real_->ListBelow(path, [&](const DirEntry& entry) {
            if (!run_.IsRemoved(folder + run_.Separator() + entry.name))
                visit(entry);
        });
    }

    // The folder goes when nothing is left in it.
    bool RemoveSubfolder(std::unique_ptr<Folder> child, const std::string& name) override
    {
        bool empty = true;
        child->List([&empty](const DirEntry&) { empty = false; });
        child.reset();
        if (!empty)
            return false;
        run_.Remove(Child(name), purpose_);
        return true;
    }

private:
    std::string Child(const std::string& name) const
    {
        return path_ + run_.Separator() + name;
    }

    std::unique_ptr<Folder> real_;
    std::string path_;
    const char* purpose_;
    DryRunPlatform& run_;
};

bool IsAtOrBelow(const std::string& path, const std::string& folder, char separator)
{
    return !folder.empty() && path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == separator);
}

}  // namespace

bool DryRunPlatform::NoCaseLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](unsigned char x, unsigned char y) {
                                            return std::tolower(x) < std::tolower(y);
                                        });
}

DryRunPlatform::DryRunPlatform(Platform& next, std::function<void(const std::string&)> report)
    : ForwardingPlatform(next), report_(std::move(report))
{
}

bool DryRunPlatform::IsDirectory(const std::string& path)
{
    return !IsRemoved(path) && next_.IsDirectory(path);
}

std::unique_ptr<Folder> DryRunPlatform::OpenRoot(const std::string& path, const char* purpose)
{
    std::unique_ptr<Folder> real = next_.OpenRoot(path, purpose);
    if (!real)
        return nullptr;
    return std::make_unique<DryRunFolder>(std::move(real), path, purpose, *this);
}

bool DryRunPlatform::WriteIniValue(const std::string&, const std::string&, const std::string& key,
                                   const std::string& value)
{
    iniRecords_.push_back(key + "=" + value);
    return true;
}

void DryRunPlatform::Remove(const std::string& path, const char* purpose)
{
    removed_.insert(path);
    report_(RootLabel(path) + '\t' + purpose);
}

std::string DryRunPlatform::RootLabel(const std::string& path)
{
    if (roots_.empty()) {  // the run's two roots, told once (they do not change during it)
        std::string client, petsoc;
        roots_ = {{"client", ClientFolder(client) ? client : std::string()},
                  {"petsoc", PetsocFolder(petsoc) ? petsoc : std::string()}};
    }
    for (const auto& [label, root] : roots_) {
        if (IsAtOrBelow(path, root, Separator()))
            return std::string(label) + ':' +
                   (path.size() == root.size() ? std::string(".") : path.substr(root.size() + 1));
    }
    return path;  // every deletion lies below one of the roots; shown whole otherwise
}

int RunDryRun(CResourceCleaner& resourceCleaner)
{
    constexpr std::size_t kFlushSize = 64 * 1024;
    Platform& system = CurrentPlatform();
    std::string output;
    DryRunPlatform dryRun(system, [&](const std::string& line) {
        output += line + '\n';
        if (output.size() >= kFlushSize) {
            system.Write(Stream::Output, output);
            output.clear();
        }
    });
    UsePlatform(&dryRun);
    RunCleaner(resourceCleaner);
    UsePlatform(&system);
    for (const std::string& record : dryRun.IniRecords())
        output += record + '\n';
    system.Write(Stream::Output, output);
    return 0;
}

}  // namespace cleaner
