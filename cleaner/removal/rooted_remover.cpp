#include "cleaner/removal/rooted_remover.h"

#include <cstddef>
#include <utility>

#include "cleaner/input/resource_paths.h"
#include "cleaner/removal/current_paths.h"
#include "cleaner/removal/folder_tree.h"

namespace cleaner {

RootedRemover::RootedRemover(std::string root, Folder* rootFolder, bool pause,
                             const CurrentIdentities* current)
    : root_(std::move(root)), rootFolder_(rootFolder), pause_(pause), current_(current)
{
}

bool RootedRemover::InsideCurrent(std::size_t depth)
{
    if (!current_)
        return false;
    while (insideCurrent_.size() <= depth) {
        const std::size_t at = insideCurrent_.size();
        Folder& folder = at == 0 ? *rootFolder_ : *openChain_[at - 1];
        insideCurrent_.push_back((at > 0 && insideCurrent_.back()) ||
                                 current_->IsCurrent(folder.Id()));
    }
    return insideCurrent_[depth];
}

bool RootedRemover::MayDelete(Folder& parent, const std::string& name) const
{
    FolderId id;
    return !current_ || (parent.IdOf(name, id) && !current_->Holds(id));
}

bool RootedRemover::StepsBelowRoot(const std::string& path, std::vector<std::string>& steps) const
{
    if (!StepsBelow(root_, path, CurrentPlatform().Separator(), steps))
        return false;
    for (const std::string& step : steps) {
        if (step == "..")
            return false;
    }
    return !steps.empty();
}

void RootedRemover::CloseFrom(std::size_t depth)
{
    while (openChain_.size() > depth) {
        openChain_.pop_back();
        openNames_.pop_back();
    }
    if (insideCurrent_.size() > depth + 1)
        insideCurrent_.resize(depth + 1);
}

Folder* RootedRemover::ParentOf(const std::string& path, std::string& name)
{
    std::vector<std::string> steps;
    if (!StepsBelowRoot(path, steps))
        return nullptr;
    if (!rootFolder_)
        return nullptr;
    name = steps.back();
    steps.pop_back();
    std::size_t shared = 0;
    while (shared < openNames_.size() && shared < steps.size() &&
           openNames_[shared] == steps[shared])
        ++shared;
    CloseFrom(shared);
    Folder* folder = openChain_.empty() ? rootFolder_ : openChain_.back().get();
    for (std::size_t i = shared; i < steps.size(); ++i) {
        std::unique_ptr<Folder> next = OpenFolderNamed(*folder, steps[i]);
        if (!next)
            return nullptr;
        folder = next.get();
        openNames_.push_back(steps[i]);
        openChain_.push_back(std::move(next));
    }
    return folder;
}

Folder* RootedRemover::DeletableParentOf(const std::string& path, std::string& name)
{
    Folder* parent = ParentOf(path, name);
    return parent && !InsideCurrent(openChain_.size()) ? parent : nullptr;
}

bool RootedRemover::IsCurrentAt(const std::string& path)
{
    std::string name;
    FolderId id;
    Folder* parent = current_ ? ParentOf(path, name) : nullptr;
    return parent && (InsideCurrent(openChain_.size()) ||
                      (parent->IdOf(name, id) && current_->IsCurrent(id)));
}

void RootedRemover::RemoveFileAt(const std::string& path, bool clearReadOnly)
{
    std::string name;
    Folder* parent = DeletableParentOf(path, name);
    if (parent && MayDelete(*parent, name))
        parent->RemoveEntry(name, clearReadOnly);
}

void RootedRemover::RemoveTreeAt(const std::string& path)
{
    std::string name;
    Folder* parent = DeletableParentOf(path, name);
    DirEntry entry;
    if (!parent || !parent->Lookup(name, entry) || entry.mountPoint || !MayDelete(*parent, name))
        return;
    if (entry.kind == EntryKind::Directory) {
        RemoveFolderTree(*parent, entry, pause_, current_);
    } else if (entry.kind == EntryKind::Link) {
        parent->RemoveEntry(name, /*clearReadOnly=*/false);  // the link, never its target
        if (pause_)
            CurrentPlatform().PauseMilliseconds(2);
    }
}

}  // namespace cleaner
