// The dry run against the real run on Linux trees that the system judges in its own ways:
// names that differ only in letter case, names with control characters, a sticky folder, a
// folder that may not be written or read, an immutable file. The lines, parsed back, must
// name exactly what the real run then deletes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "tests/cleaner/dry_run_output.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "tests/e2e/installed_cleaner.h"

namespace fs = std::filesystem;
using testsupport::ProgramPath;

namespace {

// The path a line names, its C escapes undone: "client:\"a\\tb\"\tclient-folder" gives
// "client:a<TAB>b".
std::string PathOfLine(const std::string& line)
{
    std::string::size_type colon = line.find(':');
    if (colon == std::string::npos || line.compare(colon + 1, 1, "\"") != 0)
        return line.substr(0, line.find('\t'));
    std::string path = line.substr(0, colon + 1);
    for (std::string::size_type at = colon + 2; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] != '\\') {
            path += line[at];
            continue;
        }
        const char c = line[++at];
        if (c >= '0' && c <= '7') {
            path += static_cast<char>(std::stoi(line.substr(at, 3), nullptr, 8));
            at += 2;
        } else {
            path += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
    }
    return path;
}

// Open to the cases' set-up functions.
class DryRunOnLinux : public InstalledCleaner {
public:
    fs::path Top() const { return Root(); }

protected:
    void SetUp() override
    {
        InstalledCleaner::SetUp();
        client = clientFolder;
        fs::create_directories(client);
    }

    void TearDown() override
    {
        for (const std::string& file : immutable)
            std::system(("chattr -i '" + file + "' 2>/dev/null").c_str());
        InstalledCleaner::TearDown();
    }

    // Runs the cleaner with `args` (as nobody with `unprivileged`), gives its output lines.
    std::vector<std::string> Run(const std::string& args, bool unprivileged)
    {
        const std::string user = " setpriv --reuid=65534 --regid=65534 --clear-groups";
        std::vector<std::string> lines;
        RunShell(Command("exec" + (unprivileged ? user : std::string()), args), lines);
        return lines;
    }

    // Every path below the client folder, as a line names it.
    std::set<std::string> Tree() const
    {
        std::set<std::string> paths;
        for (const auto& entry : fs::recursive_directory_iterator(client))
            paths.insert("client:" + entry.path().lexically_relative(client).string());
        return paths;
    }

public:
    fs::path client;
    std::vector<std::string> immutable;
};

}  // namespace

TEST_F(DryRunOnLinux, ListsExactlyWhatTheRealRunDeletes)
{
    const bool root = geteuid() == 0;
    const struct {
        const char* what;
        bool unprivileged;
        std::function<bool(DryRunOnLinux&)> build;  // false: cannot be set up here
    } cases[] = {
        {"names that differ only in letter case", false,
         [](DryRunOnLinux& t) {
             for (const char* name : {"note.txt", "NOTE.txt", "sub/a", "SUB/a"})
                 WriteFile(t.client / name, 1);
             return true;
         }},
        {"names that would forge lines", false,
         [](DryRunOnLinux& t) {
             WriteFile(t.client / "z\tscene-cache\nusedspace=0\n", 1);
             WriteFile(t.client / "q\"uote\\d\x01\x7F\xC3\xA9", 1);
             return true;
         }},
        {"a sticky folder, a folder that may not be written, one that may not be read", true,
         [](DryRunOnLinux& t) {
             WriteFile(t.client / "sticky" / "roots.dat", 1);
             WriteFile(t.client / "sticky" / "mine.dat", 1);
             WriteFile(t.client / "fixed" / "inner" / "a.dat", 1);
             WriteFile(t.client / "closed" / "b.dat", 1);
             std::system(("chown -R 65534:65534 '" + t.Top().string() + "'").c_str());
             chown((t.client / "sticky").c_str(), 0, 0);
             chown((t.client / "sticky" / "roots.dat").c_str(), 0, 0);
             chmod((t.client / "sticky").c_str(), 01777);
             chmod((t.client / "fixed").c_str(), 0555);
             chown((t.client / "closed").c_str(), 0, 0);
             chmod((t.client / "closed").c_str(), 0700);
             return true;
         }},
        {"an immutable file", false,
         [](DryRunOnLinux& t) {
             WriteFile(t.client / "pinned" / "held.dat", 1);
             WriteFile(t.client / "pinned" / "free.dat", 1);
             const std::string file = (t.client / "pinned" / "held.dat").string();
             if (std::system(("chattr +i '" + file + "' 2>/dev/null").c_str()) != 0)
                 return false;
             t.immutable.push_back(file);
             return true;
         }},
    };
    for (const auto& c : cases) {
        if (c.unprivileged && !root) {
            std::cout << "skipped without root: " << c.what << "\n";
            continue;
        }
        RemoveTree(client);
        fs::create_directories(client);
        if (!c.build(*this)) {
            std::cout << "skipped, cannot be set up here: " << c.what << "\n";
            continue;
        }
        const std::set<std::string> before = Tree();
        const std::vector<std::string> lines = SplitDryRun(Run("--dry-run", c.unprivileged)).paths;
        EXPECT_EQ(before, Tree()) << c.what;
        std::set<std::string> listed;
        for (const std::string& line : lines) {
            EXPECT_EQ(std::string::npos, line.find('\n')) << c.what;
            listed.insert(PathOfLine(line));
        }
        EXPECT_EQ(lines.size(), listed.size()) << c.what;

        Run("", c.unprivileged);
        const std::set<std::string> after = fs::exists(client) ? Tree() : std::set<std::string>();
        std::set<std::string> deleted;
        for (const std::string& path : before) {
            if (!after.count(path))
                deleted.insert(path);
        }
        if (!fs::exists(client))
            deleted.insert("client:.");
        EXPECT_EQ(deleted, listed) << c.what;
        for (const std::string& file : immutable)
            std::system(("chattr -i '" + file + "'").c_str());
        immutable.clear();
    }
}

#ifndef LUMARIN_SANITIZE
// A client folder 2,000 levels deep with 250-byte names, under a 512 MiB address-space
// limit: the dry run keeps no path per folder, so it lists every level and ends as the real
// run would. (The sanitizers cannot start under such a limit.)
TEST_F(DryRunOnLinux, DeepTreeOfLongNamesInBoundedMemory)
{
    const std::string name(250, 'n');
    int fd = open(client.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 2000 && fd >= 0; ++level) {
        mkdirat(fd, name.c_str(), 0755);
        int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    close(openat(fd, "bottom.dat", O_WRONLY | O_CREAT, 0644));
    close(fd);
    const std::string status = (Root() / "status").string();
    std::vector<std::string> lines;
    RunShell("(" + Command("ulimit -v 524288 &&", "--dry-run") + "; echo $? > '" + status +
                 "') | wc -l",
             lines);
    const std::string code = ReadText(status);
    EXPECT_EQ(0, std::system(("rm -rf '" + client.string() + "'").c_str()));
    EXPECT_EQ("0\n", code);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("2003", lines[0]);  // bottom.dat, 2,000 folders, the client folder, usedspace
}
#endif

namespace {

// A published version left behind with no client running (a shared-memory object outlives
// its process on Linux), removed whatever the test's outcome.
struct LeftVersion {
    LeftVersion()
    {
        int fd = shm_open("/LocalVersion", O_RDWR | O_CREAT | O_TRUNC, 0644);
        written = fd >= 0 && write(fd, "57", 2) == 2;
        if (fd >= 0)
            close(fd);
    }
    ~LeftVersion() { shm_unlink("/LocalVersion"); }
    bool written = false;
};

}  // namespace

// Without a client, the run removes the client folder first; a scene configuration folder
// linked into it is then gone, so every scene file goes. The dry run reads through the same
// link and must find it as gone as the run does.
TEST_F(DryRunOnLinux, ReadsThroughLinksFindWhatTheRunRemovedGone)
{
    LeftVersion version;
    ASSERT_TRUE(version.written);
    const fs::path scene = petsoc / "Data" / "res" / "scene" / "s1";
    WriteText(petsoc / "PetCommunityRes_57.xml",
              "<Config><NormalRes><ResourceProperty ResID=\"SceneConfigure\" "
              "ResName=\"Config/Scene\"/></NormalRes></Config>");
    WriteText(client / "scene" / "s1" / "Config.xml",
              "<Config><SceneModel><Navigator><Path value=\"Data/res/scene/s1/nav.jpg\"/>"
              "</Navigator></SceneModel></Config>");
    fs::create_directories(petsoc / "Config");
    fs::create_directory_symlink(client / "scene", petsoc / "Config" / "Scene");
    WriteFile(scene / "nav.jpg", 1);
    WriteFile(scene / "old.jpg", 1);
    const auto everything = [&] {
        std::set<std::string> paths = fs::exists(client) ? Tree() : std::set<std::string>();
        for (const auto& entry : fs::recursive_directory_iterator(petsoc))
            paths.insert("petsoc:" + entry.path().lexically_relative(petsoc).string());
        return paths;
    };
    const std::set<std::string> before = everything();

    const std::vector<std::string> lines = SplitDryRun(Run("--dry-run", false)).paths;
    Run("", false);

    std::set<std::string> listed, deleted;
    for (const std::string& line : lines)
        listed.insert(PathOfLine(line));
    const std::set<std::string> after = everything();
    for (const std::string& path : before) {
        if (!after.count(path))
            deleted.insert(path);
    }
    if (!fs::exists(client))
        deleted.insert("client:.");
    EXPECT_FALSE(fs::exists(scene / "nav.jpg"));
    EXPECT_EQ(deleted, listed);
}

// localinfor.ini too large to rewrite, or no regular file: the run leaves it as it is, so
// the dry run prints no used space.
TEST_F(DryRunOnLinux, NoUsedSpaceWhereTheRunWouldNotWriteIt)
{
    const fs::path ini = install / "localinfor.ini";
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"over 1 MiB", [&] { WriteFile(ini, 1024 * 1024 + 1); }},
        {"a FIFO", [&] { ASSERT_EQ(0, mkfifo(ini.c_str(), 0644)); }},
        {"a folder", [&] { fs::create_directories(ini / "sub"); }},
    };
    for (const auto& c : cases) {
        fs::remove_all(ini);
        c.make();
        const DryRunOutput output = SplitDryRun(Run("--dry-run", false));
        EXPECT_EQ(std::vector<std::string>{}, output.closing) << c.what;
        for (const std::string& line : output.paths)
            EXPECT_NE(0u, line.rfind("usedspace=", 0)) << c.what << ": " << line;
    }
    fs::remove_all(ini);
    const DryRunOutput output = SplitDryRun(Run("--dry-run", false));
    ASSERT_EQ(1u, output.closing.size());
    EXPECT_EQ(0u, output.closing[0].rfind("usedspace=", 0));
}
