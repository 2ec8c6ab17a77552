// Folders of another file system mounted inside what the cleaner deletes: bind mounts of the
// same file system (only the mount id tells them) in a private mount namespace, inside the
// client folder, a stale resource folder and the scene cache. Nothing on them may go, the
// used space does not count them, and the dry run lists exactly what the run deletes.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/installed_cleaner.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class MountPoints : public InstalledCleaner {
protected:
    // Binds each `from` onto its `onto` in a private mount namespace, runs the dry run and
    // then the real run there; gives the dry run's lines. False when the namespace or a
    // mount cannot be made here.
    bool RunWithMounts(const std::vector<std::pair<fs::path, fs::path>>& binds,
                       std::vector<std::string>& dryRun)
    {
        const fs::path script = Root() / "run.sh", lines = Root() / "dry-run.txt";
        std::ofstream out(script);
        for (const auto& [from, onto] : binds)
            out << "mount --bind '" << from.string() << "' '" << onto.string() << "' || exit 99\n";
        out << Command("", "--dry-run") << " > '" << lines.string() << "'\n"
            << Command("") << "\nexit 0\n";
        out.close();
        std::vector<std::string> ignored;
        if (RunShell("unshare -m --propagation private /bin/sh '" + script.string() + "'",
                     ignored) != 0)
            return false;
        std::ifstream in(lines);
        for (std::string line; std::getline(in, line);)
            dryRun.push_back(line);
        return true;
    }
};

}  // namespace

TEST_F(MountPoints, AreNeitherEnteredNorRemovedNorSummed)
{
    std::vector<std::string> ignored;
    if (RunShell("unshare -m --propagation private true 2>/dev/null", ignored) != 0)
        GTEST_SKIP() << "no private mount namespace may be made here";
    const fs::path outside = Root() / "outside";
    WriteFile(outside / "big.dat", 3000000);
    WriteFile(outside / "sub" / "letter.txt", 1);
    WriteFile(Root() / "outside.dat", 1);
    const fs::path scene = petsoc / "Data" / "res" / "scene";
    WriteText(petsoc / "PetCommunityRes_57.xml",
              "<Config><NormalRes><ResourceProperty ResID=\"Other\" ResName=\"Data/x.swf\"/>"
              "</NormalRes></Config>");
    WriteText(petsoc / "PetCommunityRes_56.xml",
              "<Config><NormalRes><ResourceProperty ResID=\"NPCConfigure\" ResName=\"Data/npc1\"/>"
              "</NormalRes></Config>");
    WriteFile(petsoc / "Data" / "npc1" / "old.xml", 1);
    WriteFile(scene / "s1" / "old.jpg", 1);
    WriteFile(clientFolder / "cache.dat", 1);
    WriteFile(scene / "s1" / "file-mount.jpg", 1);
    for (const fs::path& onto : {clientFolder / "mnt", petsoc / "Data" / "npc1" / "mnt",
                                 scene / "s1" / "mnt"})
        fs::create_directories(onto);
    const std::vector<std::pair<fs::path, fs::path>> binds = {
        {outside, clientFolder / "mnt"},
        {outside, petsoc / "Data" / "npc1" / "mnt"},
        {outside, scene / "s1" / "mnt"},
        {Root() / "outside.dat", scene / "s1" / "file-mount.jpg"},
    };

    std::vector<std::string> withoutClient, withClient;
    ASSERT_TRUE(RunWithMounts(binds, withoutClient)) << "the mounts could not be made";
    testsupport::Child client;
    ASSERT_TRUE(client.Start(testsupport::ProgramPath("Moravel2010IBeta-sim"), {"--version", "57"}));
    ASSERT_EQ("ready", client.ReadLine());
    ASSERT_TRUE(RunWithMounts(binds, withClient));
    client.CloseInput();
    EXPECT_EQ(0, client.Wait());

    EXPECT_TRUE(fs::exists(outside / "big.dat"));
    EXPECT_TRUE(fs::exists(outside / "sub" / "letter.txt"));
    EXPECT_TRUE(fs::exists(Root() / "outside.dat"));
    EXPECT_FALSE(fs::exists(clientFolder / "cache.dat"));
    EXPECT_FALSE(fs::exists(petsoc / "Data" / "npc1" / "old.xml"));
    EXPECT_FALSE(fs::exists(scene / "s1" / "old.jpg"));
    // The dry runs list exactly what went: nothing of a mount, no folder holding one; the
    // used space is what is left below the installation, without what is mounted there.
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(install))
        total += entry.is_regular_file() ? entry.file_size() : 0;
    const std::string usedSpace = "usedspace=" + std::to_string(total / 1000000);
    const std::vector<std::string> expected[] = {
        {"client:cache.dat\tclient-folder", usedSpace},
        {"petsoc:Data/res/scene/s1/old.jpg\tscene-cache",
         "petsoc:PetCommunityRes_56.xml\tPetSocResXML", "petsoc:Data/npc1/old.xml\tNPCConfigure",
         usedSpace},
    };
    EXPECT_EQ(expected[0], withoutClient);
    EXPECT_EQ(expected[1], withClient);
    EXPECT_NE(std::string::npos, ReadText(install / "localinfor.ini").find(usedSpace));
}
