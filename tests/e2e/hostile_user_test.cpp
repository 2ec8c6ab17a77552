// Traps for a local user who writes where the client writes: the resource folder swapped
// for a link during the pass, a planted published version, FIFOs and devices as inputs,
// and trees deeper than any stack. Nothing outside may change, and every run must end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cleaner/input/xml_input.h"
#include "cleaner/pass/resource_cleaner.h"
#include "tests/cleaner/installed_platform.h"
#include "tests/e2e/installed_cleaner.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ProgramPath;

namespace {

std::string Manifest(const std::vector<std::pair<std::string, std::string>>& resources)
{
    std::string xml = "<Config><NormalRes>";
    for (const auto& [id, name] : resources)
        xml += "<ResourceProperty ResID=\"" + id + "\" ResName=\"" + name + "\"/>";
    return xml + "</NormalRes></Config>";
}

// The installation as the cleaner sees it, except that once the pass has read `name` in a
// manifest (it asks whether that name is a folder), "common/petsoc" is renamed and a link
// to `outside` put in its place; every deletion comes after that.
class SwappingPlatform : public InstalledPlatform {
public:
    SwappingPlatform(const fs::path& install, fs::path outside, std::string name)
        : InstalledPlatform(install.string()), petsoc_(install / "common" / "petsoc"),
          outside_(std::move(outside)), name_(std::move(name))
    {
    }

    bool IsDirectory(const std::string& path) override
    {
        if (!swapped_ && path == name_) {
            swapped_ = true;
            fs::rename(petsoc_, petsoc_.string() + ".away");
            fs::create_directory_symlink(outside_, petsoc_);
        }
        return InstalledPlatform::IsDirectory(path);
    }

    bool ReadSharedText(const std::string&, std::size_t, std::string& text) override
    {
        text = "57";
        return true;
    }

private:
    fs::path petsoc_, outside_;
    std::string name_;
    bool swapped_ = false;
};

class HostileUser : public InstalledCleaner {
protected:
    // Runs the cleaner through `sh` with `limits` ("ulimit ..." lines) while a client may
    // publish `version`; only a run that hangs (still going after 10 minutes) is killed.
    // Gives its exit code.
    int RunCleaner(const std::string& limits = "", const std::string& version = "")
    {
        testsupport::Child client;
        if (!version.empty() &&
            (!client.Start(ProgramPath("Moravel2010IBeta-sim"), {"--version", version}) ||
             client.ReadLine() != "ready"))
            ADD_FAILURE() << "the substitute client did not start";
        std::vector<std::string> lines;
        int status = RunShell(Command(limits + " exec timeout -s KILL 600"), lines);
        client.CloseInput();
        return status;
    }

    std::string Ini() const { return ReadText(install / "localinfor.ini"); }
};

// Removes the planted shared-memory object whatever the test's outcome.
struct PlantedVersion {
    PlantedVersion() { shm_unlink("/LocalVersion"); }
    ~PlantedVersion() { shm_unlink("/LocalVersion"); }
    const std::string path = "/dev/shm/LocalVersion";
};

}  // namespace

TEST_F(HostileUser, ResourceFolderSwappedForALinkMidPassLeadsNowhere)
{
    const fs::path outside = Root() / "outside";
    WriteFile(outside / "Documents" / "sub" / "letter.txt", 1);
    WriteFile(outside / "Documents.zip", 1);
    WriteText(petsoc / "PetCommunityRes_57.xml", Manifest({{"Other", "Data/x.swf"}}));
    WriteText(petsoc / "PetCommunityRes_56.xml", Manifest({{"NPCConfigure", "Documents"}}));
    WriteFile(petsoc / "Documents" / "sub" / "old.xml", 1);
    {
        SwappingPlatform platform(install, outside, "Documents");
        cleaner::CResourceCleaner().Run();
    }
    EXPECT_TRUE(fs::exists(outside / "Documents" / "sub" / "letter.txt"));
    EXPECT_TRUE(fs::exists(outside / "Documents.zip"));
    // The pass went on in the folder it held, wherever that had been moved.
    EXPECT_FALSE(fs::exists(petsoc.string() + ".away/Documents"));
}

TEST_F(HostileUser, PlantedPublishedVersionDoesNotCount)
{
    WriteText(petsoc / "PetCommunityRes_57.xml", Manifest({{"Other", "Data/x.swf"}}));
    WriteText(petsoc / "PetCommunityRes_56.xml", Manifest({{"LoadPanel", "Data/panel"}}));
    WriteFile(petsoc / "Data" / "panel.zip", 1);
    PlantedVersion planted;

    ASSERT_EQ(0, mkfifo(planted.path.c_str(), 0666));
    EXPECT_EQ(1, RunCleaner());  // not killed: the FIFO was never waited for
    EXPECT_NE(std::string::npos, Ini().find("usedspace="));
    shm_unlink("/LocalVersion");

    if (geteuid() != 0) {
        GTEST_SKIP() << "a version owned by another user needs root to plant";
    }
    WriteText(planted.path, "57");
    ASSERT_EQ(0, chown(planted.path.c_str(), 65534, 65534));
    EXPECT_EQ(1, RunCleaner());
    EXPECT_TRUE(fs::exists(petsoc / "Data" / "panel.zip"));
    EXPECT_TRUE(fs::exists(petsoc / "PetCommunityRes_56.xml"));
}

TEST_F(HostileUser, FifosAndDevicesAsInputsEndTheRunAndChangeNothing)
{
    const fs::path scene = petsoc / "Data" / "res" / "scene";
    WriteText(petsoc / "PetCommunityRes_56.xml", Manifest({{"LoadPanel", "Data/panel"}}));
    WriteFile(petsoc / "Data" / "panel.zip", 1);
    WriteFile(scene / "s1" / "old.jpg", 1);
    fs::create_directories(petsoc / "Data" / "sceneconfig" / "s1");
    const std::string config = (petsoc / "Data" / "sceneconfig" / "s1" / "Config.xml").string();
    const std::string ini = (install / "localinfor.ini").string();
    const std::string current = (petsoc / "PetCommunityRes_57.xml").string();

    // The current manifest a FIFO, localinfor.ini a link to an endless device.
    ASSERT_EQ(0, mkfifo(current.c_str(), 0666));
    fs::create_symlink("/dev/zero", ini);
    EXPECT_EQ(1, RunCleaner("", "57"));
    EXPECT_TRUE(fs::is_symlink(ini));
    EXPECT_TRUE(fs::exists(petsoc / "Data" / "panel.zip"));
    EXPECT_TRUE(fs::exists(scene / "s1" / "old.jpg"));

    // A readable current manifest; a scene configuration, an outdated manifest and
    // localinfor.ini that are FIFOs.
    fs::remove(current);
    fs::remove(ini);
    WriteText(current, Manifest({{"SceneConfigure", "Data/sceneconfig"}}));
    ASSERT_EQ(0, mkfifo(config.c_str(), 0666));
    ASSERT_EQ(0, mkfifo((petsoc / "PetCommunityRes_55.xml").c_str(), 0666));
    ASSERT_EQ(0, mkfifo(ini.c_str(), 0666));
    EXPECT_EQ(1, RunCleaner("", "57"));
    EXPECT_TRUE(fs::is_fifo(ini));
    EXPECT_TRUE(fs::exists(scene / "s1" / "old.jpg"));       // a configuration was not read
    EXPECT_FALSE(fs::exists(petsoc / "Data" / "panel.zip"));  // the purge still ran
    EXPECT_TRUE(fs::is_fifo(petsoc / "PetCommunityRes_55.xml"));
}

#ifndef LUMARIN_SANITIZE  // the sanitizers reserve more address space than any such limit
// An outdated manifest flooded with empty elements up to the size limit, run within 128 MiB
// of address space: the flood is refused before it is parsed (parsed, it would take some
// 1 GB), and the rest of the pass goes on.
TEST_F(HostileUser, ElementFloodIsRefusedWithinBoundedMemory)
{
    WriteText(petsoc / "PetCommunityRes_57.xml", Manifest({{"Other", "Data/x.swf"}}));
    WriteText(petsoc / "PetCommunityRes_56.xml", Manifest({{"LoadPanel", "Data/panel"}}));
    WriteFile(petsoc / "Data" / "panel.zip", 1);
    const std::string head = "<Config><NormalRes>", tail = "</NormalRes></Config>";
    std::string flood = head;
    while (flood.size() + 4 + tail.size() <= cleaner::kXmlSizeLimit)
        flood += "<a/>";
    WriteText(petsoc / "PetCommunityRes_55.xml", flood + tail);

    EXPECT_EQ(1, RunCleaner("ulimit -v 131072 &&", "57"));

    EXPECT_FALSE(fs::exists(petsoc / "Data" / "panel.zip"));
    EXPECT_TRUE(fs::exists(petsoc / "PetCommunityRes_55.xml"));
    EXPECT_NE(std::string::npos, Ini().find("usedspace="));
}
#endif

#ifdef LUMARIN_SANITIZE
constexpr const char* kStackKiB = "1024";  // the sanitizers' own frames are larger
#else
constexpr const char* kStackKiB = "256";
#endif

// 20,000 levels (fewer where the descriptor limit cannot be raised that far), a 256 KiB
// stack and a descriptor limit that lets the walks reach the bottom: the client folder goes
// whole and the used space counts the deepest file. Paths this deep defeat path-based
// tools, so the tree is made relative to open folders; as root, on a file system in memory
// of its own, where making it costs no disk work.
TEST_F(HostileUser, TreesDeeperThanAnyStackAreWalkedToTheBottom)
{
    struct rlimit files;
    ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &files));
    const rlim_t descriptors = std::min<rlim_t>(files.rlim_max, 20100);
    const int depth = static_cast<int>(descriptors) - 100;
    if (depth < 5000)
        GTEST_SKIP() << "the descriptor limit (" << files.rlim_max << ") is too low";
    struct Unmount {
        std::string path;
        ~Unmount()
        {
            if (!path.empty())
                umount2(path.c_str(), MNT_DETACH);
        }
    } unmount;
    if (geteuid() == 0 && mount("tmpfs", Root().c_str(), "tmpfs", 0, "size=256m") == 0) {
        unmount.path = Root().string();
        fs::create_directories(petsoc);
        ASSERT_TRUE(testsupport::CopyProgram(ProgramPath("cleaner"), cleanerCopy));
    }
    for (const fs::path& top : {clientFolder, install / "deep"}) {
        fs::create_directories(top);
        int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < depth && fd >= 0; ++level) {
            mkdirat(fd, "d", 0755);
            int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = next;
        }
        ASSERT_GE(fd, 0);
        int file = openat(fd, "bottom.dat", O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(0, ftruncate(file, 2000000));
        close(file);
        close(fd);
    }
    const std::string limits = "ulimit -s " + std::string(kStackKiB) + " && ulimit -n " +
                               std::to_string(descriptors) + " &&";
    EXPECT_EQ(1, RunCleaner(limits));
    const bool clientFolderGone = !fs::exists(clientFolder);
    for (const fs::path& top : {clientFolder, install / "deep"})
        EXPECT_EQ(0, std::system(("rm -rf '" + top.string() + "'").c_str()));
    EXPECT_TRUE(clientFolderGone);
    const auto total = fs::file_size(cleanerCopy) + 2000000;
    EXPECT_NE(std::string::npos, Ini().find("usedspace=" + std::to_string(total / 1000000)));
}

// A file of size 0 is not read: a pseudo-file (here /proc/self/status; /proc/kmsg or a
// tracing pipe in an attack) would give data others wait for, or never end.
TEST(BoundedReads, FileOfSizeZeroIsNotRead)
{
    std::unique_ptr<cleaner::Folder> proc = cleaner::SystemPlatform().OpenRoot("/proc/self", "");
    ASSERT_TRUE(proc);
    std::string text = "before";
    EXPECT_EQ(cleaner::ReadStatus::Read, proc->ReadWhole("status", 1 << 20, text));
    EXPECT_EQ("", text);
}
