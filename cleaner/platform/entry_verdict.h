// What an entry opened as itself (not through a link) turned out to be, decided from what
// its handle tells: its attributes and the path the handle resolves to. Windows gathers
// these facts; the decision is plain code so that every build can test it.
#pragma once

#include <cstdint>
#include <string>

namespace cleaner {

// The Windows attribute bits the decision reads (FILE_ATTRIBUTE_DIRECTORY and
// FILE_ATTRIBUTE_REPARSE_POINT).
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeReparsePoint = 0x400;

enum class EntryVerdict {
    File,    // a file of its own: may be deleted through its handle
    Folder,  // a folder of its own: may be entered, and deleted through its handle
    Link,    // a link opened as itself: may be removed as itself, never entered
    Leave,   // resolves elsewhere or cannot be told: touch nothing
};

struct OpenedEntry {
    bool attributesKnown = false;
    std::uint32_t attributes = 0;
    std::string finalPath;        // where the handle resolves to; empty when unknown
    std::string parentFinalPath;  // where the open parent folder resolves to
    std::string name;             // the entry's name in that parent
};

// Whether two final paths name the same entry: the file system's rule for letter case.
using SamePath = bool (*)(const std::string& a, const std::string& b);

// The name a plain path step reaches: the system drops trailing dots and blanks.
std::string TrimmedName(const std::string& name);

// Only a handle that resolves to its parent's path plus its (trimmed) name, compared by
// `samePath`, is the entry itself. Anything else is a link the system opened as its target
// (Wine does that for Unix links, reporting no reparse point) and is left alone.
EntryVerdict JudgeOpenedEntry(const OpenedEntry& entry, SamePath samePath);

}  // namespace cleaner
