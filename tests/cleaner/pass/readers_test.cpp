// The manifest, scene configuration and NPC list readers on files held in memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cleaner/pass/resource_cleaner.h"
#include "tests/cleaner/fake_platform.h"

namespace fs = std::filesystem;
using cleaner::CResourceCleaner;
using Resources = std::vector<std::pair<std::string, std::string>>;

class Readers : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_.AddFolder(Windows(Petsoc().generic_string()));
        cleaner_.localVersion = 57;
    }

    static std::string Windows(std::string path)
    {
        for (char& c : path)
            c = c == '/' ? '\\' : c;
        return path;
    }

    // The fake installation's "common/petsoc", composed with '/', stored with Windows
    // separators.
    static fs::path Petsoc() { return fs::path("C:/Pet/common/petsoc"); }

    // The cleaner's full path of a resource name.
    static std::string Full(const std::string& name)
    {
        return Windows("C:/Pet/common/petsoc/" + name);
    }

    void WriteText(const fs::path& path, const std::string& text)
    {
        platform_.AddText(Windows(path.generic_string()), text);
    }

    void WriteManifest(const std::string& fileName, const Resources& resources)
    {
        std::string xml = "<?xml version=\"1.0\"?>\n<Config><NormalRes>\n";
        for (const auto& [id, name] : resources)
            xml += "<ResourceProperty ResID=\"" + id + "\" ResName=\"" + name + "\"/>\n";
        WriteText(Petsoc() / fileName, xml + "</NormalRes></Config>\n");
    }

    // Writes a current manifest naming `folder` for `resourceId` and the given files (paths
    // relative to "common/petsoc"), reads the configurations and gives the kept files.
    std::set<std::string> KeptFrom(const std::string& resourceId, const std::string& folder,
                                   const std::vector<std::pair<std::string, std::string>>& files)
    {
        WriteManifest("PetCommunityRes_57.xml", {{resourceId, folder}});
        for (const auto& [path, text] : files)
            WriteText(Petsoc() / path, text);
        cleaner_.LoadCurrentManifest();
        cleaner_.CollectReferencedFiles();
        return cleaner_.keepFiles;
    }

    std::set<std::string> Stale(const std::string& id)
    {
        auto found = cleaner_.staleResources.find(id);
        return found == cleaner_.staleResources.end() ? std::set<std::string>() : found->second;
    }

    FakePlatform platform_;
    CResourceCleaner cleaner_;
};

TEST_F(Readers, CurrentManifestKeepsFirstEntryOfEachId)
{
    WriteManifest("PetCommunityRes_57.xml", {{"A", "Data/a.swf"},
                                             {"A", "Data/other.swf"},
                                             {"B", "Data\\res\\b.png"},
                                             {"NoName", ""}});
    cleaner_.LoadCurrentManifest();
    EXPECT_EQ(Full("Data/a.swf"), cleaner_.currentResources["A"]);
    EXPECT_EQ(Full("Data/res/b.png"), cleaner_.currentResources["B"]);
    EXPECT_EQ(3u, cleaner_.currentResources.size());
}

TEST_F(Readers, OutdatedManifestsRecordChangedAndUnknownIdsAndThemselves)
{
    WriteManifest("PetCommunityRes_57.xml", {{"Same", "Data/x.swf"}, {"Case", "Data/res/x.swf"}});
    WriteManifest("PetCommunityRes_56.xml", {{"Same", "Data/x.swf"},
                                             {"Case", "data/res/x.swf"},
                                             {"Gone", "Data/gone.swf"}});
    WriteManifest("petcommunityres_58.XML", {{"Same", "Data/x.swf"}});  // higher, any case
    WriteText(Petsoc() / "PetCommunityRes_55.xml", "<Config><NormalRes>");  // unparsable

    cleaner_.LoadCurrentManifest();
    cleaner_.ScanOldManifests();

    EXPECT_EQ(std::set<std::string>{}, Stale("Same"));
    EXPECT_EQ(std::set<std::string>{Full("data/res/x.swf")}, Stale("Case"));
    EXPECT_EQ(std::set<std::string>{Full("Data/gone.swf")}, Stale("Gone"));
    EXPECT_EQ((std::set<std::string>{Full("PetCommunityRes_56.xml"),
                                     Full("petcommunityres_58.XML")}),
              Stale("PetSocResXML"));
}

TEST_F(Readers, PublishedVersionsManifestIsNeverOutdatedEvenWhenMalformed)
{
    WriteText(Petsoc() / "PetCommunityRes_57.xml", "<Config><NormalRes><Resource");
    cleaner_.LoadCurrentManifest();
    cleaner_.ScanOldManifests();
    EXPECT_TRUE(cleaner_.currentResources.empty());
    EXPECT_TRUE(cleaner_.staleResources.empty());
}

TEST_F(Readers, NamesThatCouldLeadOutsideAreNeverRecordedAsStale)
{
    WriteManifest("PetCommunityRes_56.xml", {{"Up", "../../outside"},
                                             {"Deep", "Data/../../outside"},
                                             {"Root", "/etc/passwd"},
                                             {"Back", "\\Windows"},
                                             {"Drive", "C:/Windows"},
                                             {"Self", "./"},
                                             {"Fine", "Data/./fine.swf"}});
    cleaner_.ScanOldManifests();
    for (const char* id : {"Up", "Deep", "Root", "Back", "Drive", "Self"})
        EXPECT_TRUE(Stale(id).empty()) << id;
    EXPECT_EQ(std::set<std::string>{Full("Data/./fine.swf")}, Stale("Fine"));
}

TEST(VersionFromFileName, ReadsNumberAfterLastUnderscore)
{
    const std::pair<const char*, int> cases[] = {
        {"PetCommunityRes_123.xml", 123}, {"PetCommunityRes_12b.xml", 12},
        {"PetCommunityRes_abc.xml", 0},   {"PetCommunityRes_1_7.xml", 7},
        {"PetCommunityRes_99999999999.xml", 2147483647}, {"PetCommunityRes_-4.xml", -4},
    };
    for (const auto& [name, version] : cases)
        EXPECT_EQ(version, CResourceCleaner::VersionFromFileName(name)) << name;
}

TEST_F(Readers, SceneConfigurationKeepsTilesNavigatorViewsAndMaps)
{
    std::set<std::string> kept = KeptFrom(
        "SceneConfigure", "Data/sceneconfig",
        {{"Data/sceneconfig/s1/Config.xml",
              "<?xml version=\"1.0\"?><!-- scene --><Config><SceneModel>"
              "<Background cols=\"3\" rows=\"2\"><Path value=\"Data/res/scene/s1/bg_\"/></Background>"
              "<Navigator><Path value=\"Data/res/scene/s1/nav.xml\"/></Navigator>"
              "<EntityModelLib><EntityModel><View path=\"Data/res/scene/s1/tree.swf\"/></EntityModel>"
              "<EntityModel/><EntityModel><View path=\"Data/res/scene/s1/rock.swf\"/></EntityModel>"
              "</EntityModelLib>"
              "<Map><SmallMap path=\"Data/res/scene/s1/small.jpg\"/>"
              "<LargeMap path=\"Data/res/scene/s1/large.jpg\"/></Map>"
              "</SceneModel></Config>"},
         {"Data/sceneconfig/s2/Config.xml",
              "<Config><SceneModel><Background cols=\"3\" rows=\"0\">"
              "<Path value=\"Data/res/scene/s2/bg_\"/></Background></SceneModel></Config>"},
         {"Data/sceneconfig/loose.xml", "<Config/>"}});

    std::set<std::string> expected;
    for (const char* name : {"nav.xml", "tree.swf", "rock.swf", "small.jpg", "large.jpg"})
        expected.insert(Full(std::string("Data/res/scene/s1/") + name));
    EXPECT_EQ(expected, kept);
    for (const char* tile : {"bg_0_0.jpg", "bg_0_1.jpg", "bg_0_2.jpg", "bg_1_0.jpg",
                             "bg_1_1.jpg", "bg_1_2.jpg"})
        EXPECT_TRUE(cleaner_.IsKept(Full(std::string("Data/res/scene/s1/") + tile))) << tile;
    for (const char* other : {"s1/bg_2_0.jpg", "s1/bg_0_3.jpg", "s1/bg_", "s2/bg_0_0.jpg"})
        EXPECT_FALSE(cleaner_.IsKept(Full(std::string("Data/res/scene/") + other))) << other;
}

// A scene file whose path fills a path buffer (259 bytes) is kept as a tile name cut to the
// buffer only when a tile of that grid is longer than the buffer and cut gives that path.
TEST_F(Readers, PathFillingTheBufferIsKeptOnlyAsACutTileOfItsGrid)
{
    const struct {
        int rows, columns;
        std::size_t prefix;  // the length of the tiles' full path before "<row>_<column>.jpg"
        const char* tail;
        bool kept;
    } cases[] = {
        {1, 3, 252, "0_2.jpg", true},   // names that fit: a tile itself
        {1, 3, 252, "1_0.jpg", false},  // names that fit: no tile, though it starts alike
        {1, 3, 256, "0_2", true},       // names cut: "0_2.jpg" cut after "0_2"
        {1, 3, 256, "0_3", false},
        {1, 3, 256, "1_0", false},
        {1, 12, 254, "0_11.", true},
        {1, 12, 254, "0_1.j", true},
        {1, 12, 254, "0_1.x", false},
        {1, 1, 262, "", true},  // the prefix alone is longer than the buffer
    };
    for (const auto& c : cases) {
        const std::string base = "Data/res/scene/" + std::string(c.prefix - 40, 'L') + "/bg_";
        CResourceCleaner pass;
        pass.AddTileNames(base, c.rows, c.columns);
        const std::string path = (Full(base) + c.tail).substr(0, 259);
        ASSERT_EQ(259u, path.size()) << c.tail;
        EXPECT_EQ(c.kept, pass.IsKept(path)) << c.prefix << " " << c.tail;
    }
}

TEST_F(Readers, SceneConfigurationMissingElementsKeepsTheRest)
{
    EXPECT_EQ(std::set<std::string>{Full("Data/large.jpg")},
              KeptFrom("SceneConfigure", "Data/sceneconfig",
                       {{"Data/sceneconfig/s1/Config.xml",
                         "<Config><SceneModel><Background cols=\"2\"><Path value=\"x\"/>"
                         "</Background><Map><LargeMap path=\"Data/large.jpg\"/></Map>"
                         "</SceneModel></Config>"}}));
}

TEST_F(Readers, NpcListKeepsFirstParamOfEachNpc)
{
    std::set<std::string> kept = KeptFrom(
        "NPCConfigure", "Data/npc",
        {{"Data/npc/town/NpcList.xml",
              "<Config><NpcList>"
              "<Npc><ParamList><Param>Data/res/scene/npc/a.swf</Param>"
              "<Param>Data/res/scene/npc/second.swf</Param></ParamList></Npc>"
              "<Npc/>"
              "<Npc><ParamList><Param>Data/res/scene/npc/b.swf</Param></ParamList></Npc>"
              "</NpcList></Config>"}});
    EXPECT_EQ((std::set<std::string>{Full("Data/res/scene/npc/a.swf"),
                                     Full("Data/res/scene/npc/b.swf")}),
              kept);
}

TEST_F(Readers, ConfigurationFolderWithOnlyFilesYieldsNothing)
{
    WriteManifest("PetCommunityRes_57.xml", {{"SceneConfigure", "Data/sceneconfig"},
                                             {"NPCConfigure", "Data/npc"}});
    WriteText(Petsoc() / "Data" / "sceneconfig" / "Config.xml",
              "<Config><SceneModel><Navigator><Path value=\"n\"/></Navigator></SceneModel></Config>");
    WriteText(Petsoc() / "Data" / "npc" / "NpcList.xml", "<Config/>");
    cleaner_.keepFiles.insert("stale entry from before");
    cleaner_.LoadCurrentManifest();
    cleaner_.CollectReferencedFiles();
    EXPECT_TRUE(cleaner_.keepFiles.empty());
}
