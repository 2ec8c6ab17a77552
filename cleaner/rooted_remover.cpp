#include "cleaner/rooted_remover.h"

#include <cstddef>
#include <utility>

#include "cleaner/folder_tree.h"

namespace cleaner {

RootedRemover::RootedRemover(std::string root, bool pause, const char* purpose)
    : root_(std::move(root)), pause_(pause), purpose_(purpose)
{
}

bool RootedRemover::StepsBelowRoot(const std::string& path, std::vector<std::string>& steps) const
{
    const char separator = CurrentPlatform().Separator();
    const std::string prefix = root_ + separator;
    if (root_.empty() || path.compare(0, prefix.size(), prefix) != 0)
        return false;
    std::string::size_type start = prefix.size();
    while (start <= path.size()) {
        std::string::size_type end = path.find(separator, start);
        if (end == std::string::npos)
            end = path.size();
        std::string step = path.substr(start, end - start);
        if (step == "..")
            return false;
        if (!step.empty() && step != ".")  // doubled separators and "." name the same folder
            steps.push_back(std::move(step));
        start = end + 1;
    }
    return !steps.empty();
}

void RootedRemover::CloseFrom(std::size_t depth)
{
    while (openChain_.size() > depth) {
        openChain_.pop_back();
        openNames_.pop_back();
    }
}

Folder* RootedRemover::ParentOf(const std::string& path, std::string& name)
{
    std::vector<std::string> steps;
    if (!StepsBelowRoot(path, steps))
        return nullptr;
    if (!rootTried_) {
        rootTried_ = true;
        rootFolder_ = CurrentPlatform().OpenRoot(root_, purpose_);
    }
    if (!rootFolder_)
        return nullptr;
    name = steps.back();
    steps.pop_back();
    std::size_t shared = 0;
    while (shared < openNames_.size() && shared < steps.size() &&
           openNames_[shared] == steps[shared])
        ++shared;
    CloseFrom(shared);
    Folder* folder = openChain_.empty() ? rootFolder_.get() : openChain_.back().get();
    for (std::size_t i = shared; i < steps.size(); ++i) {
        DirEntry entry;
        if (!folder->Lookup(steps[i], entry) || entry.kind != EntryKind::Directory)
            return nullptr;
        std::unique_ptr<Folder> next = folder->OpenSubfolder(entry, FolderAccess::Read);
        if (!next)
            return nullptr;
        folder = next.get();
        openNames_.push_back(steps[i]);
        openChain_.push_back(std::move(next));
    }
    return folder;
}

void RootedRemover::RemoveFileAt(const std::string& path, bool clearReadOnly)
{
    std::string name;
    if (Folder* parent = ParentOf(path, name))
        parent->RemoveEntry(name, clearReadOnly);
}

void RootedRemover::RemoveTreeAt(const std::string& path)
{
    std::string name;
    Folder* parent = ParentOf(path, name);
    DirEntry entry;
    if (!parent || !parent->Lookup(name, entry))
        return;
    if (entry.kind == EntryKind::Directory) {
        RemoveFolderTree(*parent, entry, pause_);
    } else if (entry.kind == EntryKind::Link) {
        parent->RemoveEntry(name, /*clearReadOnly=*/false);  // the link, never its target
        if (pause_)
            CurrentPlatform().PauseMilliseconds(2);
    }
}

}  // namespace cleaner
