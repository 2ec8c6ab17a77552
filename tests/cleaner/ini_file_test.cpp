#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>

#include "cleaner/ini_file.h"

namespace {

struct Killed {};

// An INI file in memory on a disk with `room` bytes left; each step can be the last one
// (`stepsLeft` runs out: the run is killed there).
class MemoryFile : public cleaner::RewritableFile {
public:
    std::string disk;
    bool exists = true, canCreateBeside = true;
    std::size_t room = 1 << 20;
    int stepsLeft = -1;

    cleaner::ReadStatus Open(std::size_t limit, std::string& text) override
    {
        if (!exists)
            return cleaner::ReadStatus::Missing;
        text = disk;
        return disk.size() > limit ? cleaner::ReadStatus::Unreadable : cleaner::ReadStatus::Read;
    }
    bool ReplaceWhole(const std::string& text) override
    {
        Step();
        if (!canCreateBeside || text.size() > room)
            return false;
        Step();
        disk = text;
        exists = true;
        return true;
    }
    bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override
    {
        Step();
        const std::size_t end = static_cast<std::size_t>(offset) + size;
        if (end > disk.size() + room) {
            disk.resize(disk.size() + room);  // part of it went in
            return false;
        }
        if (end > disk.size())
            disk.resize(end);
        disk.replace(static_cast<std::size_t>(offset), size, data, size);
        return true;
    }
    bool SetEnd(std::uint64_t size) override
    {
        Step();
        disk.resize(static_cast<std::size_t>(size));
        return true;
    }

private:
    void Step()
    {
        if (stepsLeft == 0)
            throw Killed();
        if (stepsLeft > 0)
            --stepsLeft;
    }
};

bool Update(MemoryFile& file)
{
    return cleaner::UpdateIniFile(file, "app", "usedspace", "1234", "\n");
}

bool HasLine(const std::string& text, const std::string& line)
{
    std::istringstream lines(text);
    for (std::string each; std::getline(lines, each);) {
        if (each == line)
            return true;
    }
    return false;
}

}  // namespace

// Wherever the run stops and however little room is left, the file ends either as it was or
// as it should be, or (in place) with every line it had.
TEST(UpdateIniFile, NeverLosesALine)
{
    const std::string before = "[user]\nname=Ann\n[app]\nusedspace=7\nlast=1\n";
    const std::string after = "[user]\nname=Ann\n[app]\nusedspace=1234\nlast=1\n";
    const struct {
        bool canCreateBeside;
        std::size_t room;
        std::string result;
    } cases[] = {
        {true, 1 << 20, after},
        {false, 1 << 20, after},  // in place
        {true, 0, before},        // a full disk: nothing changed
        {false, 0, before},
        {false, 2, before},  // the room runs out while it is taken
    };
    for (const auto& c : cases) {
        MemoryFile file;
        file.disk = before;
        file.canCreateBeside = c.canCreateBeside;
        file.room = c.room;
        EXPECT_EQ(c.result == after, Update(file)) << c.canCreateBeside << " " << c.room;
        EXPECT_EQ(c.result, file.disk) << c.canCreateBeside << " " << c.room;
    }
    for (bool beside : {true, false}) {
        for (int steps = 0; steps < 6; ++steps) {
            MemoryFile file;
            file.disk = before;
            file.canCreateBeside = beside;
            file.stepsLeft = steps;
            try {
                Update(file);
            } catch (const Killed&) {
            }
            for (const char* line : {"[user]", "name=Ann", "[app]", "last=1"})
                EXPECT_TRUE(HasLine(file.disk, line)) << line << " after " << steps << ":\n"
                                                      << file.disk;
        }
    }
}

TEST(UpdateIniFile, LeavesUnwritableOrUtf16TextsAlone)
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
    missing.canCreateBeside = true;
    EXPECT_TRUE(Update(missing));
    EXPECT_EQ("[app]\nusedspace=1234\n", missing.disk);
}
