#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "cleaner/pass/resource_cleaner.h"
#include "cleaner/platform/folders.h"
#include "cleaner/program/main_sequence.h"
#include "tests/cleaner/fake_platform.h"

using cleaner::IsProcessRunning;

TEST(IsProcessRunning, MatchesMarkerAsCaseSensitiveSubstring)
{
    struct Case {
        std::vector<std::string> processes;
        bool running;
    };
    const Case cases[] = {
        {{"explorer.exe", "Moravel2010IBeta.exe"}, true},
        {{"LauncherMoravel2010IBetaUpdate.exe"}, true},
        {{"Moravel2010IBeta"}, true},
        {{"moravel2010ibeta.exe", "MORAVEL2010IBETA.EXE"}, false},
        {{"Moravel2010Beta.exe"}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        fake.processes = c.processes;
        EXPECT_EQ(c.running, IsProcessRunning(cleaner::kClientMarker))
            << (c.processes.empty() ? "(none)" : c.processes.front());
    }
}

TEST(IsProcessRunning, UnreadableProcessListMeansNoClient)
{
    FakePlatform fake;
    fake.processes = {"Moravel2010IBeta.exe"};
    fake.processListAvailable = false;
    EXPECT_FALSE(IsProcessRunning(cleaner::kClientMarker));
}

TEST(Folders, ModuleDirDropsLastSeparatorAndName)
{
    FakePlatform fake;
    fake.moduleFile = "C:\\Program Files\\Pet\\cleaner.exe";
    EXPECT_EQ("C:\\Program Files\\Pet", cleaner::GetModuleDir());
    fake.moduleFile = "D:\\other.exe";  // kept from the first call
    EXPECT_EQ("C:\\Program Files\\Pet", cleaner::GetModuleDir());
}

TEST(Folders, CommonAppDataIsKeptOnceFoundAndAskedAgainWhileEmpty)
{
    FakePlatform fake;
    fake.commonAppData = "";
    EXPECT_EQ("", cleaner::GetCommonAppDataDir());
    fake.commonAppData = "C:\\ProgramData";
    EXPECT_EQ("C:\\ProgramData", cleaner::GetCommonAppDataDir());
    fake.commonAppData = "C:\\Changed";
    EXPECT_EQ("C:\\ProgramData", cleaner::GetCommonAppDataDir());
    EXPECT_EQ(2, fake.commonAppDataCalls);
}

class RunCleanerTest : public ::testing::Test {
protected:
    RunCleanerTest()
    {
        fake.AddFile("C:\\ProgramData\\Halvern\\Moravel\\cache\\a.dat", 10);
        fake.AddFile("C:\\ProgramData\\Halvern\\Moravel\\b.dat", 10, /*readOnly=*/true);
        fake.AddFile("C:\\ProgramData\\Halvern\\keep.txt");
        fake.AddFile("C:\\Pet\\cleaner.exe", 1500000);
        fake.AddFile("C:\\Pet\\common\\petsoc\\res.swf", 1600000);
    }

    void Run()
    {
        cleaner::CResourceCleaner resourceCleaner;
        cleaner::RunCleaner(resourceCleaner);
    }

    std::string Ini() { return fake.iniFiles["C:\\Pet\\localinfor.ini"]; }

    FakePlatform fake;
};

TEST_F(RunCleanerTest, WithoutClientRemovesClientFolderWithPausesAndRecordsSpace)
{
    fake.processes = {"svchost.exe"};
    Run();
    EXPECT_FALSE(fake.Exists("C:\\ProgramData\\Halvern\\Moravel"));
    EXPECT_TRUE(fake.Exists("C:\\ProgramData\\Halvern\\keep.txt"));
    EXPECT_EQ(2, fake.pauses);
    EXPECT_EQ("[app]\r\nusedspace=3\r\n", Ini());
}

TEST_F(RunCleanerTest, RunningClientKeepsClientFolderButStillRecordsSpace)
{
    fake.processes = {"Moravel2010IBeta.exe"};
    Run();
    EXPECT_TRUE(fake.Exists("C:\\ProgramData\\Halvern\\Moravel\\b.dat"));
    EXPECT_TRUE(fake.removed.empty());
    EXPECT_EQ("[app]\r\nusedspace=3\r\n", Ini());
}

TEST_F(RunCleanerTest, UnknownAllUsersFolderSkipsRemoval)
{
    fake.commonAppData = "";
    fake.AddFile("C:\\Halvern\\Moravel\\at-root.dat");
    fake.AddFile("\\Halvern\\Moravel\\relative.dat");
    Run();
    EXPECT_TRUE(fake.removed.empty());
    for (const std::string& folder : fake.opened)
        EXPECT_EQ(std::string::npos, folder.find("Halvern")) << folder;
    EXPECT_FALSE(Ini().empty());
}

TEST(RunCleaner, LinkedClientFoldersAreNeverEntered)
{
    // A linked "Halvern" leaves everything alone; a linked "Moravel" goes as a link.
    const struct {
        const char* link;
        std::vector<std::string> removed;
    } cases[] = {
        {"C:\\ProgramData\\Halvern", {}},
        {"C:\\ProgramData\\Halvern\\Moravel", {"C:\\ProgramData\\Halvern\\Moravel"}},
    };
    for (const auto& c : cases) {
        FakePlatform linked;
        linked.AddLink(c.link);
        cleaner::CResourceCleaner resourceCleaner;
        cleaner::RunCleaner(resourceCleaner);
        EXPECT_EQ(c.removed, linked.removed) << c.link;
        for (const std::string& folder : linked.opened)
            EXPECT_NE(0u, folder.find("C:\\Pet")) << c.link << ": " << folder;
    }
}

TEST(RunCleaner, UnknownInstallationFolderSkipsPassAndRecord)
{
    for (const char* module : {"cleaner.exe", ""}) {
        FakePlatform unknown;
        unknown.moduleFile = module;
        unknown.processes = {"Moravel2010IBeta.exe"};
        unknown.sharedTexts["LocalVersion"] = "57";
        unknown.AddFile("\\common\\petsoc\\Data\\res\\scene\\s1\\a.jpg");
        unknown.AddFile("\\common\\petsoc\\PetCommunityRes_56.xml");
        cleaner::CResourceCleaner resourceCleaner;
        cleaner::RunCleaner(resourceCleaner);
        EXPECT_TRUE(unknown.removed.empty()) << module;
        EXPECT_TRUE(unknown.opened.empty()) << module;
        EXPECT_TRUE(unknown.iniFiles.empty()) << module;
    }
}

TEST_F(RunCleanerTest, ClientFolderPathThatDoesNotFitIsNotRemoved)
{
    std::string longBase = "C:\\" + std::string(1010, 'p');
    fake.commonAppData = longBase;
    fake.AddFile(longBase + "\\Halvern\\Moravel\\x.dat");
    fake.AddFile(longBase + "\\Halvern\\Mora");  // what the cut path would name
    Run();
    EXPECT_TRUE(fake.removed.empty());
}

TEST(WriteUsedSpace, RecordsWholeMillionsOfA64BitTotal)
{
    const struct {
        std::uint64_t total;
        const char* text;
    } cases[] = {
        {0, "0"},
        {999999, "0"},
        {1000000, "1"},
        {2999999, "2"},
        {4294967296ull, "4294"},
        {5000000000ull, "5000"},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        cleaner::WriteUsedSpace(c.total);
        EXPECT_EQ(std::string("[app]\r\nusedspace=") + c.text + "\r\n",
                  fake.iniFiles["C:\\Pet\\localinfor.ini"])
            << c.total;
    }
}

TEST(ReadLocalVersion, ParsesLeadingDecimalNumber)
{
    const struct {
        const char* text;
        int version;
    } cases[] = {
        {"57", 57}, {"  42abc", 42}, {"+8", 8}, {"-3", -3}, {"abc", 0}, {"", 0},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        fake.sharedTexts["LocalVersion"] = c.text;
        EXPECT_EQ(c.version, cleaner::CResourceCleaner().ReadLocalVersion()) << c.text;
    }
    FakePlatform none;
    EXPECT_EQ(0, cleaner::CResourceCleaner().ReadLocalVersion());
}

// Tiles are told by name: "%d" numbers inside the grid, exactly ".jpg", any grid size.
TEST(TileNames, TilesOfGridsOfAnySizeAreKeptByName)
{
    FakePlatform fake;
    cleaner::CResourceCleaner resourceCleaner;
    resourceCleaner.AddTileNames("Data/res/scene/s1/bg_", 100000, 70000);
    resourceCleaner.AddTileNames("Data\\res\\scene\\s2\\t", 2, 3);
    resourceCleaner.AddTileNames("Data/res/scene/s3/none_", 0, 5);
    resourceCleaner.AddTileNames("Data/res/scene/s4/t1", 20, 2);  // a base ending in a digit
    const std::string s1 = "C:\\Pet\\common\\petsoc\\Data\\res\\scene\\s1\\bg_";
    const std::string s2 = "C:\\Pet\\common\\petsoc\\Data\\res\\scene\\s2\\t";
    const std::string s3 = "C:\\Pet\\common\\petsoc\\Data\\res\\scene\\s3\\none_";
    const std::string s4 = "C:\\Pet\\common\\petsoc\\Data\\res\\scene\\s4\\t1";
    const std::pair<std::string, bool> cases[] = {
        {s1 + "0_0.jpg", true},         {s1 + "65536_1.jpg", true},
        {s1 + "99999_69999.jpg", true}, {s1 + "100000_0.jpg", false},
        {s1 + "0_70000.jpg", false},    {s1 + "01_0.jpg", false},
        {s1 + "+1_0.jpg", false},       {s1 + "-1_0.jpg", false},
        {s1 + "1_0.JPG", false},        {s1 + "1_0.jpg.zip", false},
        {s1 + "1_0", false},            {s1 + "1__0.jpg", false},
        {s1 + "_0.jpg", false},         {s1 + "99999999999_0.jpg", false},
        {s2 + "1_2.jpg", true},         {s2 + "2_0.jpg", false},
        {s3 + "0_0.jpg", false},
        {s4 + "10_1.jpg", true},        {s4 + "2_0.jpg", true},
        {s4 + "20_0.jpg", false},
        {"C:\\Pet\\common\\petsoc\\Data\\res\\scene\\s1\\BG_0_0.jpg", false},
    };
    for (const auto& [path, kept] : cases)
        EXPECT_EQ(kept, resourceCleaner.IsKept(path)) << path;

    // A tile name cut to a path buffer may name a file of that length: it is kept.
    resourceCleaner.AddTileNames("Data/" + std::string(230, 'x') + "/t", 1, 1);
    const std::string folder = "C:\\Pet\\common\\petsoc\\Data\\" + std::string(230, 'x');
    EXPECT_EQ(259u, (folder + "\\t0").size());
    EXPECT_TRUE(resourceCleaner.IsKept(folder + "\\t0"));
    EXPECT_FALSE(resourceCleaner.IsKept(folder + "\\u0"));
}
