// The cleaning pass on the fake tree: it deletes only on the word of files it read whole,
// and never a current resource.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cleaner/input/xml_input.h"
#include "cleaner/pass/resource_cleaner.h"
#include "tests/cleaner/fake_platform.h"

namespace {

using Resources = std::vector<std::pair<std::string, std::string>>;

const std::string kPetsoc = "C:\\Pet\\common\\petsoc";

std::string At(std::string path)
{
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return kPetsoc + "\\" + path;
}

std::string Manifest(const Resources& resources)
{
    std::string xml = "<?xml version=\"1.0\"?>\r\n<Config><NormalRes>\r\n";
    for (const auto& [id, name] : resources)
        xml += "<ResourceProperty ResID=\"" + id + "\" ResName=\"" + name + "\"/>\r\n";
    return xml + "</NormalRes></Config>\r\n";
}

std::string Nested(int depth)
{
    std::string xml = "<Config>";
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    return xml;
}

// A fake installation in which each case runs one pass.
struct Pass {
    void Erase(const std::string& path)
    {
        for (auto it = fake.nodes.begin(); it != fake.nodes.end();)
            it = it->first.compare(0, path.size(), path) == 0 ? fake.nodes.erase(it) : ++it;
    }

    void Run()
    {
        fake.sharedTexts["LocalVersion"] = "57";
        cleaner::CResourceCleaner().Run();
    }

    FakePlatform fake;
};

}  // namespace

TEST(PassRules, FailedReadsStopTheDeletionsThatRelyOnThem)
{
    const std::string current = At("PetCommunityRes_57.xml");
    const std::string scene = At("Data/sceneconfig/s1/Config.xml");
    const std::string npc = At("Data/npc/town/NpcList.xml");
    const std::string manifest = Manifest({{"SceneConfigure", "Data/sceneconfig"},
                                           {"NPCConfigure", "Data/npc"},
                                           {"StaticRes", "Data/static"}});
    const struct {
        const char* what;
        std::function<void(Pass&)> change;
        bool sceneFilesGo;
        bool staleGoes;
    } cases[] = {
        {"all read", [](Pass&) {}, true, true},
        {"manifest missing", [&](Pass& t) { t.Erase(current); }, false, false},
        {"manifest cut short",
         [&](Pass& t) { t.fake.AddText(current, manifest.substr(0, manifest.size() / 2)); },
         false, false},
        {"manifest 100,000 levels deep",
         [&](Pass& t) { t.fake.AddText(current, Nested(100000)); }, false, false},
        {"manifest a FIFO", [&](Pass& t) { t.fake.nodes[current].unreadable = true; },
         false, false},
        {"manifest over the size limit",
         [&](Pass& t) {
             t.fake.AddText(current, manifest + std::string(cleaner::kXmlSizeLimit, ' '));
         },
         false, false},
        {"manifest over the node limit",
         [&](Pass& t) {
             std::string flood = manifest;
             for (std::size_t i = 0; i <= cleaner::kXmlNodeLimit; ++i)
                 flood.insert(flood.size() - 22, "<a/>");
             t.fake.AddText(current, flood);
         },
         false, false},
        {"manifest naming no resource",
         [&](Pass& t) { t.fake.AddText(current, "<Config><NormalRes/></Config>"); }, false,
         false},
        {"scene configuration unreadable",
         [&](Pass& t) { t.fake.nodes[scene].unreadable = true; }, false, true},
        {"scene configuration not well-formed",
         [&](Pass& t) { t.fake.AddText(scene, "<Config><SceneModel>"); }, false, true},
        {"NPC list too deep", [&](Pass& t) { t.fake.AddText(npc, Nested(300)); }, false,
         true},
        {"configuration folder unlistable",
         [&](Pass& t) { t.fake.nodes[At("Data/sceneconfig")].unreadable = true; }, false,
         true},
        {"subfolder that cannot be looked at",
         [&](Pass& t) { t.fake.nodes[At("Data/sceneconfig/s1")].unstatable = true; }, true,
         true},
        {"subfolder without Config.xml",
         [&](Pass& t) { t.fake.AddFolder(At("Data/sceneconfig/s2")); }, true, true},
        {"named folder missing", [&](Pass& t) { t.Erase(At("Data/npc")); }, true, true},
    };
    for (const auto& c : cases) {
        Pass t;
        t.fake.AddText(current, manifest);
        t.fake.AddText(scene, "<Config><SceneModel><Navigator>"
                              "<Path value=\"Data/res/scene/s1/nav.xml\"/></Navigator>"
                              "</SceneModel></Config>");
        t.fake.AddText(npc, "<Config><NpcList><Npc><ParamList><Param>Data/res/scene/npc/a.swf"
                            "</Param></ParamList></Npc></NpcList></Config>");
        t.fake.AddText(At("PetCommunityRes_56.xml"), Manifest({{"LoadPanel", "Data/panel1"}}));
        for (const char* file : {"Data/res/scene/s1/nav.xml", "Data/res/scene/s1/old.jpg",
                                 "Data/res/scene/npc/a.swf", "Data/panel1.zip"})
            t.fake.AddFile(At(file));
        c.change(t);
        t.Run();
        EXPECT_EQ(c.sceneFilesGo, !t.fake.Exists(At("Data/res/scene/s1/old.jpg"))) << c.what;
        EXPECT_TRUE(t.fake.Exists(At("Data/res/scene/s1/nav.xml"))) << c.what;
        EXPECT_EQ(c.staleGoes, !t.fake.Exists(At("Data/panel1.zip"))) << c.what;
        EXPECT_EQ(c.staleGoes, !t.fake.Exists(At("PetCommunityRes_56.xml"))) << c.what;
    }
}

// Outdated manifests that together name more stale paths than the bound: one whose paths
// would pass it stays, with all it names, and goes in a later run.
TEST(PassRules, StaleBoundKeepsWholeManifestsForALaterRun)
{
    Pass t;
    t.fake.AddText(At("PetCommunityRes_57.xml"), Manifest({{"Other", "Data/x.swf"}}));
    for (const std::string version : {"55", "56"}) {
        Resources resources;
        for (std::size_t i = 0; i < cleaner::kStaleEntryLimit * 3 / 5; ++i)
            resources.emplace_back("StaticRes", "Data/v" + version + "/" + std::to_string(i));
        t.fake.AddText(At("PetCommunityRes_" + version + ".xml"), Manifest(resources));
        t.fake.AddFile(At("Data/v" + version + "/0.zip"));
    }
    t.Run();
    EXPECT_FALSE(t.fake.Exists(At("Data/v55/0.zip")));
    EXPECT_TRUE(t.fake.Exists(At("Data/v56/0.zip")));
    EXPECT_TRUE(t.fake.Exists(At("PetCommunityRes_56.xml")));
    t.Run();
    EXPECT_FALSE(t.fake.Exists(At("Data/v56/0.zip")));
    EXPECT_FALSE(t.fake.Exists(At("PetCommunityRes_56.xml")));
}

TEST(PassRules, PurgeKeepsEveryCurrentResourceAndFolderHoldingOne)
{
    std::string longName;  // "./" steps past the path buffer: the path is cut there
    for (int i = 0; i < 130; ++i)
        longName += "./";
    longName += "m.swf";
    // The longest name whose path fits a path buffer (259 characters).
    const std::string fullName = "Data/" + std::string(259 - At("Data/").size() - 4, 'X') + ".swf";
    std::string lowerName = fullName;
    for (char& c : lowerName)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string deepName;  // 50,000 steps: only its folders that fit a path are guarded
    for (int i = 0; i < 50000; ++i)
        deepName += "a/";
    const struct {
        const char* what;
        Resources current, outdated;
        bool foldsCase;
        std::vector<const char*> kept, gone;
    } cases[] = {
        {"same path with a '.' step, and its archive", {{"NPCConfigure", "Config/Npc"}},
         {{"NPCConfigure", "./Config/Npc"}}, true,
         {"Config/Npc/town/NpcList.xml", "Config/Npc.zip"}, {}},
        {"stale parent of a current folder", {{"SceneConfigure", "Config/Scene"}},
         {{"SceneConfigure", "Config"}}, true,
         {"Config/Scene/s1/Config.xml", "Config/other.txt"}, {"Config.zip"}},
        {"other letter case where names fold", {{"CommunityMainFlash", "Flash/Main.swf"}},
         {{"CommunityMainFlash", "flash/main.swf"}}, true, {"flash/main.swf", "flash/main.zip"},
         {}},
        {"trailing dots and blanks, which Windows drops",
         {{"CommunityMainFlash", "Flash/Main.swf"}}, {{"CommunityMainFlash", "flash. /main.swf. "}},
         true, {"flash. /main.swf. "}, {}},
        {"other letter case where they do not", {{"CommunityMainFlash", "Flash/Main.swf"}},
         {{"CommunityMainFlash", "flash/main.swf"}}, false, {},
         {"flash/main.swf", "flash/main.zip"}},
        {"a companion that is current", {{"LoadPanel", "Data/p2"}, {"StaticRes", "Data/p.zip"}},
         {{"LoadPanel", "Data/p"}}, true, {"Data/p.zip"}, {}},
        {"inside a current folder", {{"SceneConfigure", "Data/cfg"}},
         {{"SceneConfigure", "Data/cfg/s1"}}, true, {"Data/cfg/s1/Config.xml", "Data/cfg/s1.zip"},
         {}},
        {"a second entry of an id, and a name cut to a path buffer",
         {{"MapConfigure", "Data/map"}, {"MapConfigure", "Data/map2"},
          {"CommunityMainFlash", longName}},
         {{"MapConfigure", "Data/map2"}, {"CommunityMainFlash", "m.swf"}}, true,
         {"Data/map2/a.xml", "Data/map2.zip", "m.swf", "m.zip"}, {}},
        {"other letter case of a path that just fits", {{"CommunityMainFlash", fullName}},
         {{"CommunityMainFlash", lowerName}}, true, {lowerName.c_str()}, {}},
        {"a current name far longer than any path", {{"Other", deepName + "x.swf"}},
         {{"LoadPanel", "Data/p"}, {"NPCConfigure", "a/a/a"}}, true, {"a/a/a/b.txt"},
         {"Data/p.zip", "a/a/a.zip"}},
    };
    for (const auto& c : cases) {
        Pass t;
        t.fake.foldsCase = c.foldsCase;
        t.fake.AddText(At("PetCommunityRes_57.xml"), Manifest(c.current));
        t.fake.AddText(At("PetCommunityRes_56.xml"), Manifest(c.outdated));
        for (const std::vector<const char*>* files : {&c.kept, &c.gone}) {
            for (const char* file : *files)
                t.fake.AddFile(At(file));
        }
        t.Run();
        for (const char* file : c.kept)
            EXPECT_TRUE(t.fake.Exists(At(file))) << c.what << ": " << file;
        for (const char* file : c.gone)
            EXPECT_FALSE(t.fake.Exists(At(file))) << c.what << ": " << file;
        EXPECT_FALSE(t.fake.Exists(At("PetCommunityRes_56.xml"))) << c.what;
    }
}

// Every purge row: what a stale path of that resource id takes with it.
TEST(PassRules, PurgeRows)
{
    const std::vector<const char*> file = {"Data/m.swf"}, mainAndZip = {"Data/m.swf", "Data/m.zip"},
                                   tree = {"Data/r.zip", "Data/r/in.txt", "Data/r"},
                                   zip = {"Data/r.zip"}, none = {};
    const struct {
        const char* id;
        const std::vector<const char*>& gone;
    } rows[] = {
        {"PetSocResXML", file},      {"CommunityMainFlash", mainAndZip},
        {"NPCConfigure", tree},      {"SceneConfigure", tree},
        {"MusicConfigure", tree},    {"NavigationConfigure", tree},
        {"MapConfigure", tree},      {"LoadPanel", zip},
        {"ServerInfo", zip},         {"WeatherSystem", zip},
        {"NpcRes", zip},             {"TitleCfg", tree},
        {"PetStatus", tree},         {"StaticRes", zip},
        {"AddedLater", none},
    };
    const char* const files[] = {"Data/m.swf", "Data/m.zip", "Data/m.swf.zip", "Data/r.zip",
                                 "Data/r/in.txt"};
    for (const auto& row : rows) {
        Pass t;
        const bool takesFile = &row.gone == &file || &row.gone == &mainAndZip;
        t.fake.AddText(At("PetCommunityRes_57.xml"), Manifest({{"Other", "Data/x.swf"}}));
        t.fake.AddText(At("PetCommunityRes_56.xml"),
                       Manifest({{row.id, takesFile ? "Data/m.swf" : "Data/r"}}));
        for (const char* each : files)
            t.fake.AddFile(At(each));
        t.Run();
        std::vector<std::string> gone;
        for (const std::string& path : t.fake.removed) {
            if (path != At("PetCommunityRes_56.xml"))
                gone.push_back(path);
        }
        std::vector<std::string> expected;
        for (const char* each : row.gone)
            expected.push_back(At(each));
        EXPECT_EQ(expected, gone) << row.id;
        EXPECT_FALSE(t.fake.Exists(At("PetCommunityRes_56.xml"))) << row.id;
    }
}
