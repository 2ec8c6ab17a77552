// The cleaning pass with the real cleaner while the substitute client publishes version 57.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/cleaner/dry_run_output.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using testsupport::Child;
using testsupport::ProgramPath;
using Resources = std::vector<std::pair<std::string, std::string>>;

class CleaningPass : public testsupport::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        install = Root() / "install";
        petsoc = install / "common" / "petsoc";
        scene = petsoc / "Data" / "res" / "scene";
        fs::create_directories(scene);
        cleanerCopy = (install / fs::path(ProgramPath("cleaner")).filename()).string();
        ASSERT_TRUE(testsupport::CopyProgram(ProgramPath("cleaner"), cleanerCopy));
        testsupport::AllUsersDataFolder(Root().string(), env);
    }

    void WriteManifest(const std::string& fileName, const Resources& resources)
    {
        std::string xml = "<Config><NormalRes>\n";
        for (const auto& [id, name] : resources)
            xml += "<ResourceProperty ResID=\"" + id + "\" ResName=\"" + name + "\"/>\n";
        WriteText(petsoc / fileName, xml + "</NormalRes></Config>\n");
    }

    // Runs the cleaner with `args` while a client runs, publishing `version` unless it is
    // empty; gives the cleaner's output lines.
    std::vector<std::string> RunWithClient(const std::string& version = "57",
                                           const std::vector<std::string>& args = {},
                                           int exitCode = 1)
    {
        Child client;
        std::vector<std::string> clientArgs, lines;
        if (!version.empty())
            clientArgs = {"--version", version};
        if (!client.Start(ProgramPath("Moravel2010IBeta-sim"), clientArgs) ||
            client.ReadLine() != "ready") {
            ADD_FAILURE() << "the substitute client did not start";
            return lines;
        }
        EXPECT_EQ(exitCode, testsupport::RunProgram(cleanerCopy, args, env, lines));
        client.CloseInput();
        EXPECT_EQ(0, client.Wait());
        return lines;
    }

    // Every file and folder below the installation, as "petsoc:" lines name them.
    std::set<std::string> Tree() const
    {
        std::set<std::string> paths;
        for (const auto& entry : fs::recursive_directory_iterator(install))
            paths.insert(
                "petsoc:" +
                entry.path().lexically_relative(petsoc).make_preferred().string());
        return paths;
    }

    testsupport::Environment env;
    fs::path install, petsoc, scene;
    std::string cleanerCopy;
};

TEST_F(CleaningPass, NoPublishedVersionDeletesNothing)
{
    WriteManifest("PetCommunityRes_56.xml", {{"LoadPanel", "Data/panel"}});
    WriteFile(petsoc / "Data" / "panel.zip", 3);
    WriteFile(scene / "s1" / "unreferenced.jpg", 3);
    RunWithClient("");
    EXPECT_TRUE(fs::exists(petsoc / "PetCommunityRes_56.xml"));
    EXPECT_TRUE(fs::exists(petsoc / "Data" / "panel.zip"));
    EXPECT_TRUE(fs::exists(scene / "s1" / "unreferenced.jpg"));
}

TEST_F(CleaningPass, DeletesUnreferencedSceneFilesOnly)
{
    WriteManifest("PetCommunityRes_57.xml", {{"SceneConfigure", "Data/sceneconfig"}});
    WriteText(petsoc / "Data" / "sceneconfig" / "s1" / "Config.xml",
              "<Config><SceneModel><Background cols=\"1\" rows=\"1\">"
              "<Path value=\"Data/res/scene/s1/bg_\"/></Background>"
              "<Navigator><Path value=\"Data/res/scene/s1/nav.xml\"/></Navigator>"
              "</SceneModel></Config>");
    WriteFile(scene / "s1" / "bg_0_0.jpg", 1);
    WriteFile(scene / "s1" / "Nav.xml", 1);  // named nav.xml: another file
    WriteFile(scene / "s1" / "old" / "unused.png", 1);

    RunWithClient();

    EXPECT_TRUE(fs::exists(scene / "s1" / "bg_0_0.jpg"));
    EXPECT_FALSE(fs::exists(scene / "s1" / "Nav.xml"));
    EXPECT_FALSE(fs::exists(scene / "s1" / "old" / "unused.png"));
    EXPECT_TRUE(fs::is_directory(scene / "s1" / "old"));
    EXPECT_TRUE(fs::exists(petsoc / "PetCommunityRes_57.xml"));
}

TEST_F(CleaningPass, ManifestWithoutConfigurationsDeletesEverySceneFile)
{
    WriteManifest("PetCommunityRes_57.xml", {{"Other", "Data/x.swf"}});
    WriteFile(scene / "a.jpg", 1);
    WriteFile(scene / "s2" / "deep" / "b.jpg", 1);
    RunWithClient();
    EXPECT_FALSE(fs::exists(scene / "a.jpg"));
    EXPECT_FALSE(fs::exists(scene / "s2" / "deep" / "b.jpg"));
}

TEST_F(CleaningPass, PurgesStaleResourcesByPurgeRow)
{
    WriteManifest("PetCommunityRes_57.xml", {{"NPCConfigure", "Data/npc2"},
                                             {"LoadPanel", "Data/panel2"},
                                             {"CommunityMainFlash", "Flash/v2/main.swf"},
                                             {"Later", "Data/later2"}});
    WriteManifest("PetCommunityRes_56.xml", {{"NPCConfigure", "Data/npc1"},
                                             {"LoadPanel", "Data/panel1"},
                                             {"CommunityMainFlash", "Flash/v1/main.swf"},
                                             {"Later", "Data/later1"}});
    WriteText(petsoc / "PetCommunityRes_55.xml", "<Config><NormalRes>");  // unparsable
    WriteFile(petsoc / "Data" / "npc1" / "town" / "NpcList.xml", 1);
    WriteFile(petsoc / "Data" / "npc1.zip", 1);
    WriteFile(petsoc / "Data" / "panel1" / "panel.swf", 1);
    WriteFile(petsoc / "Data" / "panel1.zip", 1);
    WriteFile(petsoc / "Flash" / "v1" / "main.swf", 1);
    WriteFile(petsoc / "Flash" / "v1" / "main.zip", 1);
    WriteFile(petsoc / "Flash" / "v1" / "other.swf", 1);
    WriteFile(petsoc / "Data" / "later1.zip", 1);

    RunWithClient();

    EXPECT_FALSE(fs::exists(petsoc / "Data" / "npc1"));
    EXPECT_FALSE(fs::exists(petsoc / "Data" / "npc1.zip"));
    EXPECT_TRUE(fs::exists(petsoc / "Data" / "panel1" / "panel.swf"));
    EXPECT_FALSE(fs::exists(petsoc / "Data" / "panel1.zip"));
    EXPECT_FALSE(fs::exists(petsoc / "Flash" / "v1" / "main.swf"));
    EXPECT_FALSE(fs::exists(petsoc / "Flash" / "v1" / "main.zip"));
    EXPECT_TRUE(fs::exists(petsoc / "Flash" / "v1" / "other.swf"));
    EXPECT_TRUE(fs::exists(petsoc / "Data" / "later1.zip"));
    EXPECT_FALSE(fs::exists(petsoc / "PetCommunityRes_56.xml"));
    EXPECT_TRUE(fs::exists(petsoc / "PetCommunityRes_55.xml"));
    EXPECT_TRUE(fs::exists(petsoc / "PetCommunityRes_57.xml"));
}

TEST_F(CleaningPass, NothingOutsideTheResourceFolderIsDeleted)
{
    WriteFile(Root() / "outside.zip", 1);
    WriteFile(Root() / "outside" / "keep.txt", 1);
    WriteFile(install / "sentinel.zip", 1);
    std::string absolute = (Root() / "outside").generic_string();
    WriteManifest("PetCommunityRes_57.xml", {{"Other", "Data/x.swf"}});
    WriteManifest("PetCommunityRes_56.xml", {{"NPCConfigure", "../../../outside"},
                                             {"SceneConfigure", "Data/../../../outside"},
                                             {"MapConfigure", absolute},
                                             {"LoadPanel", "../../sentinel"}});
    RunWithClient();
    EXPECT_TRUE(fs::exists(Root() / "outside.zip"));
    EXPECT_TRUE(fs::exists(Root() / "outside" / "keep.txt"));
    EXPECT_TRUE(fs::exists(install / "sentinel.zip"));
}

TEST_F(CleaningPass, LinksInSceneCacheAndStaleResourcesAreNotFollowed)
{
    WriteFile(Root() / "target" / "precious.jpg", 1);
    WriteFile(Root() / "target2" / "precious.xml", 1);
    WriteFile(Root() / "target3.zip", 1);
    fs::create_directories(petsoc / "Data");
    const std::pair<fs::path, fs::path> links[] = {
        {Root() / "target", scene / "linked"},
        {Root() / "target" / "precious.jpg", scene / "file-link.jpg"},
        {Root() / "target2", petsoc / "Data" / "npc1"},
        {Root() / "target3.zip", petsoc / "Data" / "panel1.zip"},
    };
    for (const auto& [target, link] : links) {
        std::string why;
        ASSERT_TRUE(testsupport::MakeLink(target.string(), link.string(), why)) << why;
    }
    WriteManifest("PetCommunityRes_57.xml", {{"Other", "Data/x.swf"}});
    WriteManifest("PetCommunityRes_56.xml", {{"NPCConfigure", "Data/npc1"},
                                             {"LoadPanel", "Data/panel1"}});

    RunWithClient();

    EXPECT_TRUE(fs::exists(Root() / "target" / "precious.jpg"));
    EXPECT_TRUE(fs::exists(Root() / "target2" / "precious.xml"));
    EXPECT_TRUE(fs::exists(Root() / "target3.zip"));
}

// A current resource reached by another name is no stale resource: "Flash" is a link to
// "FlashStore", the current manifest names "Flash/main57.swf" and an outdated one
// "FlashStore/main57.swf"; current movies lie in the scene cache, which no configuration
// names, one of them reached through the link "Movies". Every step of the pass keeps them,
// and the dry run lists none.
TEST_F(CleaningPass, CurrentResourcesReachedByOtherNamesAreKept)
{
    WriteManifest("PetCommunityRes_57.xml", {{"CommunityMainFlash", "Flash/main57.swf"},
                                             {"StaticRes", "Data/res/scene/intro57.swf"},
                                             {"LoadPanel", "Panel57"},
                                             {"WeatherSystem", "Movies/rain57.swf"}});
    WriteManifest("PetCommunityRes_56.xml", {{"CommunityMainFlash", "FlashStore/main57.swf"},
                                             {"NPCConfigure", "FlashStore"},
                                             {"LoadPanel", "PanelStore/p"}});
    WriteFile(petsoc / "FlashStore" / "main57.swf", 1);
    WriteFile(petsoc / "FlashStore" / "main57.zip", 1);  // the current movie's archive
    WriteFile(petsoc / "PanelStore" / "p.zip", 1);
    WriteFile(scene / "intro57.swf", 1);
    WriteFile(scene / "s2" / "rain57.swf", 1);
    WriteFile(scene / "old.swf", 1);
    std::string why;
    ASSERT_TRUE(testsupport::MakeLink((scene / "s2").string(), (petsoc / "Movies").string(), why))
        << why;
    ASSERT_TRUE(testsupport::MakeLink((petsoc / "FlashStore").string(),
                                      (petsoc / "Flash").string(), why))
        << why;
    ASSERT_TRUE(testsupport::MakeLink((petsoc / "PanelStore").string(),
                                      (petsoc / "Panel57").string(), why))
        << why;

    const std::vector<std::string> lines = RunWithClient("57", {"--dry-run"}, 0);
    RunWithClient();

    for (const fs::path& kept : {petsoc / "FlashStore" / "main57.swf",
                                 petsoc / "FlashStore" / "main57.zip", scene / "intro57.swf",
                                 scene / "s2" / "rain57.swf", petsoc / "PanelStore" / "p.zip"})
        EXPECT_TRUE(fs::exists(kept)) << kept;
    EXPECT_FALSE(fs::exists(scene / "old.swf"));
    EXPECT_FALSE(fs::exists(petsoc / "PetCommunityRes_56.xml"));
    const std::string old = fs::path("petsoc:Data/res/scene/old.swf").make_preferred().string();
    EXPECT_EQ((std::vector<std::string>{old + "\tscene-cache",
                                        "petsoc:PetCommunityRes_56.xml\tPetSocResXML"}),
              SplitDryRun(lines).paths);
}

// A configuration subfolder that is a link is read: what it names is kept.
TEST_F(CleaningPass, LinkedConfigurationFolderIsRead)
{
    WriteManifest("PetCommunityRes_57.xml", {{"SceneConfigure", "Data/sceneconfig"}});
    WriteText(Root() / "shared-config" / "Config.xml",
              "<Config><SceneModel><Background cols=\"1\" rows=\"1\">"
              "<Path value=\"Data/res/scene/s1/bg_\"/></Background></SceneModel></Config>");
    fs::create_directories(petsoc / "Data" / "sceneconfig");
    std::string why;
    ASSERT_TRUE(testsupport::MakeLink((Root() / "shared-config").string(),
                                      (petsoc / "Data" / "sceneconfig" / "s1").string(), why))
        << why;
    WriteFile(scene / "s1" / "bg_0_0.jpg", 1);
    WriteFile(scene / "s1" / "bg_0_1.jpg", 1);

    RunWithClient();

    EXPECT_TRUE(fs::exists(scene / "s1" / "bg_0_0.jpg"));
    EXPECT_FALSE(fs::exists(scene / "s1" / "bg_0_1.jpg"));
}

// The published-version scenario, first as a dry run: it lists exactly what the real run
// then deletes, with each deletion's purpose, deletes nothing, leaves localinfor.ini alone,
// and ends with the used space the real run then records.
TEST_F(CleaningPass, DryRunListsWhatTheRunThenDeletes)
{
    WriteManifest("PetCommunityRes_57.xml", {{"SceneConfigure", "Data/sceneconfig"},
                                             {"CommunityMainFlash", "Flash/v2/main.swf"}});
    WriteText(petsoc / "Data" / "sceneconfig" / "s1" / "Config.xml",
              "<Config><SceneModel><Background cols=\"1\" rows=\"1\">"
              "<Path value=\"Data/res/scene/s1/bg_\"/></Background></SceneModel></Config>");
    WriteFile(scene / "s1" / "bg_0_0.jpg", 1500000);
    WriteFile(scene / "s1" / "old.jpg", 1500000);
    WriteFile(scene / "s2" / "deep" / "gone.jpg", 1500000);
    WriteManifest("PetCommunityRes_56.xml", {{"NPCConfigure", "Data/npc1"},
                                             {"CommunityMainFlash", "Flash/v1/main.swf"},
                                             {"LoadPanel", "Data/panel1"},
                                             {"StaticRes", "Data/panel1"}});
    WriteFile(petsoc / "Data" / "npc1" / "town" / "NpcList.xml", 1);
    WriteFile(petsoc / "Data" / "npc1.zip", 1500000);
    WriteFile(petsoc / "Flash" / "v1" / "main.swf", 1);
    WriteFile(petsoc / "Flash" / "v1" / "main.zip", 1);
    WriteFile(petsoc / "Data" / "panel1.zip", 1);  // named twice: listed once
    WriteText(install / "localinfor.ini", "[app]\nversion=3\n");
    const std::set<std::string> before = Tree();

    const DryRunOutput output = SplitDryRun(RunWithClient("57", {"--dry-run"}, 0));
    EXPECT_EQ(before, Tree());
    EXPECT_EQ("[app]\nversion=3\n", ReadText(install / "localinfor.ini"));
    ASSERT_EQ(1u, output.closing.size());
    const std::string& usedSpace = output.closing[0];
    const std::vector<std::string>& lines = output.paths;

    RunWithClient("57");
    const std::set<std::string> after = Tree();
    std::set<std::string> deleted, listed;
    for (const std::string& path : before) {
        if (!after.count(path))
            deleted.insert(path);
    }
    for (const std::string& line : lines)
        listed.insert(line.substr(0, line.find('\t')));
    EXPECT_EQ(deleted, listed);
    EXPECT_EQ(lines.size(), listed.size());
    for (const char* expected : {"petsoc:Data/res/scene/s1/old.jpg\tscene-cache",
                                 "petsoc:Data/npc1\tNPCConfigure",
                                 "petsoc:Flash/v1/main.zip\tCommunityMainFlash",
                                 "petsoc:Data/panel1.zip\tLoadPanel",
                                 "petsoc:PetCommunityRes_56.xml\tPetSocResXML"}) {
        const std::string line = fs::path(expected).make_preferred().string();
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line)) << line;
    }
    const std::string ini = ReadText(install / "localinfor.ini");
    const std::string::size_type at = ini.find("usedspace=");
    ASSERT_NE(std::string::npos, at) << ini;
    EXPECT_EQ(usedSpace, ini.substr(at, ini.find_first_of("\r\n", at) - at));
}

#ifdef _WIN32
// Names that differ from the disk only in letter case name the same entries, as the file
// system says: the scene cache the client created as "data\res\Scene", a stale resource
// spelled "static/RES56" whose archive is "Static\res56.zip".
TEST_F(CleaningPass, NamesDifferingFromTheDiskInLetterCaseAreCleaned)
{
    RemoveTree(petsoc / "Data");
    const fs::path onDisk = petsoc / "data" / "res" / "Scene" / "s1";
    WriteManifest("PetCommunityRes_57.xml", {{"SceneConfigure", "Data/sceneconfig"},
                                             {"StaticRes", "Static/res57"}});
    WriteManifest("PetCommunityRes_56.xml", {{"StaticRes", "static/RES56"}});
    WriteText(petsoc / "data" / "sceneconfig" / "s1" / "Config.xml",
              "<Config><SceneModel><Navigator><Path value=\"Data/res/scene/s1/nav.xml\"/>"
              "</Navigator></SceneModel></Config>");
    WriteFile(onDisk / "nav.xml", 1);
    WriteFile(onDisk / "old.jpg", 1);
    WriteFile(petsoc / "Static" / "res56.zip", 1);
    WriteFile(petsoc / "Static" / "res57.zip", 1);

    RunWithClient();

    EXPECT_TRUE(fs::exists(onDisk / "nav.xml"));
    EXPECT_FALSE(fs::exists(onDisk / "old.jpg"));
    EXPECT_FALSE(fs::exists(petsoc / "Static" / "res56.zip"));
    EXPECT_TRUE(fs::exists(petsoc / "Static" / "res57.zip"));
    EXPECT_FALSE(fs::exists(petsoc / "PetCommunityRes_56.xml"));
}

// A stale name that the system reads as a current resource is held back: trailing dots
// and blanks, which plain paths drop, and letter case beyond ASCII ("\u00E9T\u00C9.zip"
// reaches "\u00C9t\u00E9.zip").
TEST_F(CleaningPass, StaleSpellingsOfCurrentResourcesAreKept)
{
    char current[16], stale[16];  // the names in the ANSI code page, as manifests hold them
    BOOL lossy = FALSE;
    if (!WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u00C9t\u00E9", -1, current,
                             sizeof current, nullptr, &lossy) ||
        lossy ||
        !WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u00E9T\u00C9", -1, stale,
                             sizeof stale, nullptr, &lossy) ||
        lossy)
        GTEST_SKIP() << "the ANSI code page has no accented letters";
    WriteManifest("PetCommunityRes_57.xml", {{"CommunityMainFlash", "Flash/Main.swf"},
                                             {"StaticRes", "Data/" + std::string(current) +
                                                               ".zip"}});
    WriteManifest("PetCommunityRes_56.xml", {{"CommunityMainFlash", "Flash/Main.swf. "},
                                             {"LoadPanel", "Data/" + std::string(stale)}});
    const fs::path flash = petsoc / "Flash" / "Main.swf";
    const fs::path zip = petsoc / "Data" / fs::path(L"\u00C9t\u00E9.zip");
    WriteFile(flash, 1);
    WriteFile(zip, 1);

    RunWithClient();

    EXPECT_TRUE(fs::exists(flash));
    EXPECT_TRUE(fs::exists(zip));
    EXPECT_FALSE(fs::exists(petsoc / "PetCommunityRes_56.xml"));
}

// A FIFO in place of the current manifest (a Linux user's tree under Wine): the cleaner
// neither waits on it nor deletes anything on its word.
TEST_F(CleaningPass, FifoInPlaceOfTheManifestIsNotWaitedFor)
{
    WriteManifest("PetCommunityRes_56.xml", {{"LoadPanel", "Data/p"}});
    WriteFile(petsoc / "Data" / "p.zip", 1);
    WriteFile(scene / "s1" / "old.jpg", 1);
    std::string why;
    ASSERT_TRUE(testsupport::MakeFifo((petsoc / "PetCommunityRes_57.xml").string(), why)) << why;

    RunWithClient();

    EXPECT_TRUE(fs::exists(petsoc / "Data" / "p.zip"));
    EXPECT_TRUE(fs::exists(petsoc / "PetCommunityRes_56.xml"));
    EXPECT_TRUE(fs::exists(scene / "s1" / "old.jpg"));
}
#endif
