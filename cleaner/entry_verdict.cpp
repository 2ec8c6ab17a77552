#include "cleaner/entry_verdict.h"

namespace cleaner {

EntryVerdict JudgeOpenedEntry(const OpenedEntry& entry)
{
    const std::string& parent = entry.parentFinalPath;
    if (!entry.attributesKnown || entry.finalPath.empty() || parent.empty() ||
        entry.name.empty())
        return EntryVerdict::Leave;
    // A drive's root resolves with its separator ("\\?\C:\"); other folders without one.
    std::string expected = parent;
    if (expected.back() != '\\')
        expected += '\\';
    expected += entry.name;
    if (entry.finalPath != expected)
        return EntryVerdict::Leave;
    if (entry.attributes & kAttributeReparsePoint)
        return EntryVerdict::Link;
    return (entry.attributes & kAttributeDirectory) ? EntryVerdict::Folder : EntryVerdict::File;
}

}  // namespace cleaner
