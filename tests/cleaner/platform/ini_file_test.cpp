#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include "cleaner/platform/ini_file.h"

using cleaner::ReadStatus;

namespace {

struct Killed {};

// An INI file in memory, on a disk with `room` bytes left; the run is killed when
// `stepsLeft` runs out.
struct MemoryFile : cleaner::RewritableFile {
    std::string disk;
    bool exists = true, canCreateBeside = true;
    std::size_t room = 1 << 20;
    int stepsLeft = -1;

    ReadStatus Open(std::size_t, std::string& text) override
    {
        text = disk;
        return exists ? ReadStatus::Read : ReadStatus::Missing;
    }
    bool ReplaceWhole(const std::string& text) override
    {
        Step();
        if (!canCreateBeside || text.size() > room)
            return false;
        disk = text;
        exists = true;
        return true;
    }
    bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override
    {
        Step();
        const std::size_t end = std::min<std::size_t>(offset + size, disk.size() + room);
        disk.resize(std::max(disk.size(), end));
        disk.replace(offset, end - offset, data, end - offset);  // what the disk took
        return end == offset + size;
    }
    bool SetEnd(std::uint64_t size) override
    {
        Step();
        disk.resize(size);
        return true;
    }
    void Step()
    {
        if (stepsLeft-- == 0)
            throw Killed();
    }
};

bool Update(MemoryFile& file)
{
    return cleaner::UpdateIniFile(file, "app", "usedspace", "1234", "\n");
}

}  // namespace

// However little room is left and wherever the run is killed, the file ends as it was, as it
// should be, or (killed in place) with every line it had; a failure changes nothing.
TEST(UpdateIniFile, NeverLosesALine)
{
    const std::string before = "[user]\nname=Ann\n[app]\nusedspace=7\nlast=1\n";
    const std::string after = "[user]\nname=Ann\n[app]\nusedspace=1234\nlast=1\n";
    for (bool beside : {true, false}) {
        for (std::size_t room : {0, 2, 1 << 20}) {
            for (int steps = -1; steps < 5; ++steps) {
                MemoryFile file;
                file.disk = before;
                file.canCreateBeside = beside;
                file.room = room;
                file.stepsLeft = steps;
                bool written = false;
                try {
                    written = Update(file);
                } catch (const Killed&) {
                }
                const std::string what = std::to_string(beside) + " " + std::to_string(room) +
                                         " " + std::to_string(steps) + ":\n" + file.disk;
                if (steps < 0 || written) {
                    EXPECT_EQ(room < 3 ? before : after, file.disk) << what;
                }
                for (const char* line : {"[user]\n", "name=Ann\n", "[app]\n", "\nlast=1\n"})
                    EXPECT_NE(std::string::npos, file.disk.find(line)) << what;
            }
        }
    }
}

TEST(UpdateIniFile, LeavesUtf16TextsAndMissingFilesItCannotCreateAlone)
{
    MemoryFile utf16;
    utf16.disk = std::string("\xFF\xFE[\0a\0]\0", 8);
    EXPECT_FALSE(Update(utf16));
    EXPECT_EQ(8u, utf16.disk.size());

    MemoryFile missing;
    missing.exists = false;
    missing.canCreateBeside = false;
    EXPECT_FALSE(Update(missing));
    EXPECT_FALSE(missing.exists);
}
