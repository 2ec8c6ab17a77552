// What a handle opened as the entry itself is taken for, as Windows and Wine report it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "cleaner/platform/entry_verdict.h"

using cleaner::EntryVerdict;
using cleaner::kAttributeDirectory;
using cleaner::kAttributeReparsePoint;

namespace {

bool Exact(const std::string& a, const std::string& b)
{
    return a == b;
}

bool IgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

TEST(JudgeOpenedEntry, OnlyWhatResolvesToItsOwnPathIsTouched)
{
    const std::string parent = "\\\\?\\C:\\Pet\\common\\petsoc";
    const std::string self = parent + "\\Data";
    const struct {
        const char* what;
        bool known;
        std::uint32_t attributes;
        std::string finalPath;
        std::string parentFinal;
        EntryVerdict verdict;
        const char* name = "Data";
        cleaner::SamePath samePath = IgnoringCase;
    } cases[] = {
        {"plain file", true, 0x20, self, parent, EntryVerdict::File},
        {"read-only file", true, 0x21, self, parent, EntryVerdict::File},
        {"folder", true, kAttributeDirectory, self, parent, EntryVerdict::Folder},
        {"junction or folder link", true, kAttributeDirectory | kAttributeReparsePoint, self,
         parent, EntryVerdict::Link},
        {"file symbolic link", true, kAttributeReparsePoint, self, parent, EntryVerdict::Link},
        {"entry of a drive's root", true, 0x20, "\\\\?\\D:\\Data", "\\\\?\\D:\\",
         EntryVerdict::File},
        {"Wine: Unix file link opens as its target", true, 0x20, "\\\\?\\Z:\\home\\x\\Data",
         parent, EntryVerdict::Leave},
        {"Wine: Unix folder link opens as its target", true, kAttributeDirectory,
         "\\\\?\\C:\\elsewhere", parent, EntryVerdict::Leave},
        {"reparse point resolving elsewhere", true, kAttributeReparsePoint, parent + "\\Other",
         parent, EntryVerdict::Leave},
        {"another letter case where names fold", true, 0x20, parent + "\\data", parent,
         EntryVerdict::File},
        {"another letter case where they do not", true, 0x20, parent + "\\data", parent,
         EntryVerdict::Leave, "Data", Exact},
        {"trailing dots and blanks trimmed", true, 0x20, self, parent, EntryVerdict::File,
         "Data. ."},
        {"a name of dots only", true, 0x20, parent + "\\", parent, EntryVerdict::Leave, ".. "},
        {"the parent itself", true, kAttributeDirectory, parent, parent, EntryVerdict::Leave},
        {"final path unknown", true, 0x20, "", parent, EntryVerdict::Leave},
        {"attributes unknown", false, 0x20, self, parent, EntryVerdict::Leave},
        {"parent unknown", true, 0x20, self, "", EntryVerdict::Leave},
    };
    for (const auto& c : cases) {
        cleaner::OpenedEntry entry;
        entry.attributesKnown = c.known;
        entry.attributes = c.attributes;
        entry.finalPath = c.finalPath;
        entry.parentFinalPath = c.parentFinal;
        entry.name = c.name;
        EXPECT_EQ(c.verdict, cleaner::JudgeOpenedEntry(entry, c.samePath)) << c.what;
    }
}
