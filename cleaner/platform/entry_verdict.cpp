#include "cleaner/platform/entry_verdict.h"

namespace cleaner {

std::string TrimmedName(const std::string& name)
{
    std::string::size_type end = name.find_last_not_of(". ");
    return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

EntryVerdict JudgeOpenedEntry(const OpenedEntry& entry, SamePath samePath)
{
    const std::string& parent = entry.parentFinalPath;
    const std::string name = TrimmedName(entry.name);
    if (!entry.attributesKnown || entry.finalPath.empty() || parent.empty() || name.empty())
        return EntryVerdict::Leave;
    // A drive's root resolves with its separator ("\\?\C:\"); other folders without one.
    std::string expected = parent;
    if (expected.back() != '\\')
        expected += '\\';
    expected += name;
    if (!samePath(entry.finalPath, expected))
        return EntryVerdict::Leave;
    if (entry.attributes & kAttributeReparsePoint)
        return EntryVerdict::Link;
    return (entry.attributes & kAttributeDirectory) ? EntryVerdict::Folder : EntryVerdict::File;
}

}  // namespace cleaner
