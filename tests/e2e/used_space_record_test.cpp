// Traps for the used-space record: a cleaner killed at any moment of its write, and a
// folder the cleaner's user may not write holding a file it may.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/e2e/installed_cleaner.h"

namespace fs = std::filesystem;

namespace {

class UsedSpaceRecord : public InstalledCleaner {
protected:
    // A file of many lines, so that writing it takes a while.
    std::string WriteIni()
    {
        std::string ini = "[user]\nname=Ann\n[app]\nusedspace=0\n";
        for (int i = 0; i < 20000; ++i)
            ini += "key" + std::to_string(i) + "=important\n";
        WriteText(install / "localinfor.ini", ini);
        return ini;
    }

    // The file with its usedspace value put back to 0.
    std::string IniWithoutRecord() const
    {
        std::string ini = ReadText(install / "localinfor.ini");
        const std::string::size_type at = ini.find("usedspace=");
        if (at != std::string::npos)
            ini.replace(at + 10, ini.find('\n', at) - at - 10, "0");
        return ini;
    }

    int FilesBesideTheIni() const
    {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(install))
            count += entry.path().filename().string().rfind("localinfor.ini", 0) == 0 ? 1 : 0;
        return count;
    }
};

}  // namespace

TEST_F(UsedSpaceRecord, KilledAtAnyMomentLeavesTheFileWholeAndOneTemporaryAtMost)
{
    const std::string ini = WriteIni();
    WriteFile(install / "data.bin", 3000000);
    std::mt19937 random(27);
    std::vector<std::string> lines;
    for (int run = 0; run < 200; ++run) {
        const std::string delay = std::to_string(random() % 12000 / 1e6);
        RunShell(Command("", "& sleep " + delay + "; kill -9 $! 2>/dev/null; wait"), lines);
        ASSERT_EQ(ini, IniWithoutRecord()) << "run " << run << ", killed after " << delay;
        ASSERT_LE(FilesBesideTheIni(), 2) << "run " << run;
    }
    RunShell(Command(""), lines);
    EXPECT_EQ(1, FilesBesideTheIni());  // the next whole run removed what a killed one left
    EXPECT_EQ(std::string::npos, ReadText(install / "localinfor.ini").find("usedspace=0\n"));
}

// A root-owned folder the user may not write, holding a file anyone may write: the file is
// updated in place, as the Windows writer would update it.
TEST_F(UsedSpaceRecord, FolderTheUserMayNotWriteGetsTheRecordInPlace)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the cleaner as another user";
    const std::string ini = WriteIni();
    ASSERT_EQ(0, chmod((install / "localinfor.ini").c_str(), 0666));
    for (const fs::path& folder : {Root(), install})
        chmod(folder.c_str(), 0755);  // the user reaches the cleaner, and may not write there
    std::vector<std::string> lines;

    EXPECT_EQ(1, RunShell(Command("setpriv --reuid=65534 --regid=65534 --clear-groups"), lines));

    EXPECT_EQ(ini, IniWithoutRecord());
    EXPECT_NE(std::string::npos, ReadText(install / "localinfor.ini").find("usedspace="));
    EXPECT_EQ(std::string::npos, ReadText(install / "localinfor.ini").find("usedspace=0\n"));
}
