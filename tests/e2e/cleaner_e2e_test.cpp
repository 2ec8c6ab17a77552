// The real cleaner and substitute client on generated folder trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cleaner/pass/resource_cleaner.h"
#include "tests/cleaner/dry_run_output.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using testsupport::Child;
using testsupport::ProgramPath;

namespace {

// Sum of every file's size below `folder`, links counted as themselves.
std::uintmax_t FolderSize(const fs::path& folder)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file(/*follows links*/) && !entry.is_symlink())
            total += entry.file_size();
    }
    return total;
}

}  // namespace

class CleanerProgram : public testsupport::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        install = Root() / "install";
        fs::create_directories(install);
        cleanerCopy = (install / fs::path(ProgramPath("cleaner")).filename()).string();
        ASSERT_TRUE(testsupport::CopyProgram(ProgramPath("cleaner"), cleanerCopy));
        clientFolder = fs::path(testsupport::AllUsersDataFolder(Root().string(), env)) /
                       "Halvern" / "Moravel";
        RemoveTree(clientFolder);  // what an interrupted earlier run may have left
    }

    void TearDown() override
    {
        RemoveTree(clientFolder.parent_path());
        TempFolderTest::TearDown();
    }

    int RunCleaner() { return testsupport::RunProgram(cleanerCopy, {}, env); }

    std::string UsedSpaceLine()
    {
        std::string ini = ReadText(install / "localinfor.ini");
        std::string::size_type at = ini.find("usedspace=");
        return at == std::string::npos ? "" : ini.substr(at, ini.find_first_of("\r\n", at) - at);
    }

    void MakeClientFolder()
    {
        WriteFile(clientFolder / "settings.dat", 300);
        WriteFile(clientFolder / "cache" / "deep" / "pet.swf", 2000);
        WriteFile(clientFolder / "readonly.txt", 10);
        fs::permissions(clientFolder / "readonly.txt", fs::perms::owner_read,
                        fs::perm_options::replace);
        fs::create_directories(clientFolder / "empty");
    }

    testsupport::Environment env;
    fs::path install;
    std::string cleanerCopy;
    fs::path clientFolder;
};

TEST_F(CleanerProgram, WithoutClientRemovesClientFolderAndRecordsUsedSpace)
{
    MakeClientFolder();
    WriteFile(clientFolder.parent_path() / "sibling.txt", 5);
    WriteFile(install / "common" / "petsoc" / "big.bin", 3000000);
    std::uintmax_t expected = FolderSize(install) / 1000000;

    EXPECT_EQ(1, RunCleaner());

    EXPECT_FALSE(fs::exists(clientFolder));
    EXPECT_TRUE(fs::exists(clientFolder.parent_path() / "sibling.txt"));
    EXPECT_EQ("usedspace=" + std::to_string(expected), UsedSpaceLine());
}

TEST_F(CleanerProgram, UndeletableFileStaysWithItsFolder)
{
    MakeClientFolder();
    fs::path held = clientFolder / "cache" / "held.dat";
    WriteFile(held, 7);
    std::string why;
    if (!testsupport::MakeUndeletable(held.string(), why))
        GTEST_SKIP() << why;

    int code = RunCleaner();
    testsupport::MakeDeletable(held.string());

    EXPECT_EQ(1, code);
    EXPECT_TRUE(fs::exists(held));
    EXPECT_FALSE(fs::exists(clientFolder / "cache" / "deep"));
    EXPECT_FALSE(fs::exists(clientFolder / "settings.dat"));
    EXPECT_FALSE(fs::exists(clientFolder / "readonly.txt"));
}

// Only a plain run deletes or writes: options answer, and a mistyped one is refused.
TEST_F(CleanerProgram, OptionsOtherThanTheDryRunTouchNothing)
{
    MakeClientFolder();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string firstLine;
    } cases[] = {
        {{"--dry-rnu"}, 2, ""},
        {{"--dry-run", "--help"}, 2, ""},
        {{"--version"}, 0, std::string("cleaner ") + LUMARIN_VERSION},
        {{"--help"}, 0, "cleaner                  the run the client starts: silent, exit code 1"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        EXPECT_EQ(c.exitCode, testsupport::RunProgram(cleanerCopy, c.args, env, lines))
            << c.args.back();
        EXPECT_EQ(c.firstLine, lines.empty() ? "" : lines.front()) << c.args.back();
        EXPECT_TRUE(fs::exists(clientFolder / "cache" / "deep" / "pet.swf")) << c.args.back();
        EXPECT_FALSE(fs::exists(install / "localinfor.ini")) << c.args.back();
    }
}

// Without a client the dry run lists the whole client folder, the folder itself last, and
// keeps it; the real run then deletes exactly that.
TEST_F(CleanerProgram, DryRunListsTheClientFolder)
{
    MakeClientFolder();
    std::set<std::string> expected = {"client:.\tclient-folder"};
    for (const auto& entry : fs::recursive_directory_iterator(clientFolder))
        expected.insert("client:" + entry.path().lexically_relative(clientFolder).string() +
                        "\tclient-folder");
    std::vector<std::string> lines;

    EXPECT_EQ(0, testsupport::RunProgram(cleanerCopy, {"--dry-run"}, env, lines));

    const DryRunOutput output = SplitDryRun(lines);
    ASSERT_EQ(expected.size(), output.paths.size());
    EXPECT_EQ("client:.\tclient-folder", output.paths.back());
    EXPECT_EQ(expected, std::set<std::string>(output.paths.begin(), output.paths.end()));
    ASSERT_EQ(1u, output.closing.size());
    EXPECT_EQ(0u, output.closing[0].find("usedspace="));
    EXPECT_TRUE(fs::exists(clientFolder / "readonly.txt"));
    EXPECT_FALSE(fs::exists(install / "localinfor.ini"));
    EXPECT_EQ(1, RunCleaner());
    EXPECT_FALSE(fs::exists(clientFolder));
}

TEST_F(CleanerProgram, RunningClientKeepsClientFolder)
{
    MakeClientFolder();
    Child client;
    ASSERT_TRUE(client.Start(ProgramPath("Moravel2010IBeta-sim"), {"--version", "57"}));
    ASSERT_EQ("ready", client.ReadLine());

    EXPECT_EQ(1, RunCleaner());
    client.CloseInput();
    EXPECT_EQ(0, client.Wait());

    EXPECT_TRUE(fs::exists(clientFolder / "cache" / "deep" / "pet.swf"));
    EXPECT_TRUE(fs::exists(clientFolder / "readonly.txt"));
    EXPECT_FALSE(UsedSpaceLine().empty());
}

// Links at and inside the client folder, made as Unix links (under Wine too): whatever
// each gets, what it points to is never touched.
TEST_F(CleanerProgram, LinksAtAndInClientFolderNeverReachTheirTargets)
{
    const fs::path halvern = clientFolder.parent_path();
    const fs::path outside = Root() / "outside";
    const struct {
        const char* what;
        fs::path link;
        fs::path target;
    } cases[] = {
        {"linked Halvern", halvern, outside},
        {"linked Moravel", clientFolder, outside / "Moravel"},
        {"folder link inside", clientFolder / "dlink", outside / "Moravel"},
        {"file link inside", clientFolder / "flink", outside / "Moravel" / "precious.txt"},
    };
    for (const auto& c : cases) {
        RemoveTree(halvern);
        RemoveTree(outside);
        WriteFile(outside / "Moravel" / "precious.txt", 42);
        WriteFile(outside / "Moravel" / "sub" / "deep.txt", 7);
        if (c.link != halvern && c.link != clientFolder)
            WriteFile(clientFolder / "own.txt", 3);
        fs::create_directories(c.link.parent_path());
        std::string why;
        ASSERT_TRUE(testsupport::MakeLink(c.target.string(), c.link.string(), why)) << why;

        EXPECT_EQ(1, RunCleaner()) << c.what;

        EXPECT_EQ(42u, fs::file_size(outside / "Moravel" / "precious.txt")) << c.what;
        EXPECT_EQ(7u, fs::file_size(outside / "Moravel" / "sub" / "deep.txt")) << c.what;
        EXPECT_FALSE(fs::exists(clientFolder / "own.txt")) << c.what;
    }
}

// On a full disk the record is written whole or not at all: no other line of the file is
// ever cut. The disk is a small file system mounted from the Linux side (root only).
TEST_F(CleanerProgram, FullDiskNeverCutsTheIni)
{
    const std::string disk = install.string();
    if (testsupport::RunLinuxShell("mount -t tmpfs -o size=16m tmpfs \"$1\" 2>/dev/null",
                                   {disk}) != 0)
        GTEST_SKIP() << "mounting a small file system needs root and the right to mount";
    struct Unmount {
        std::string path;
        ~Unmount() { testsupport::RunLinuxShell("umount -l \"$1\"", {path}); }
    } unmount{disk};
    ASSERT_TRUE(testsupport::CopyProgram(ProgramPath("cleaner"), cleanerCopy));
    std::string ini = "[user]\r\nname=Ann\r\n[app]\r\nusedspace=9\r\n";
    for (int i = 0; i < 20000; ++i)
        ini += "key" + std::to_string(i) + "=important\r\n";
    // The file fills its last page, and the new value (16 MB) has one digit more: the new
    // text needs a page the disk no longer has.
    ini += ";" + std::string(4096 - (ini.size() + 3) % 4096, 'x') + "\r\n";
    WriteText(install / "localinfor.ini", ini);
    testsupport::RunLinuxShell("cat /dev/zero > \"$1\" 2>/dev/null; true",
                               {(install / "filler").string()});

    EXPECT_EQ(1, RunCleaner());

    std::string after = ReadText(install / "localinfor.ini");
    const std::string::size_type at = after.find("usedspace=") + 10;
    ASSERT_LT(at, after.size());
    after.replace(at, after.find('\r', at) - at, "9");  // the one value that may change
    EXPECT_TRUE(after == ini) << after.size() << " bytes, ending "
                              << after.substr(after.size() > 40 ? after.size() - 40 : 0);
}

TEST_F(CleanerProgram, UsedSpaceKeepsOtherIniContentAndSkipsLinkTargets)
{
    WriteText(install / "localinfor.ini",
              "[user]\nname=Ann\n[app]\nversion=3\nusedspace=999\n[last]\nk=v\n");
    fs::path bigOutside = Root() / "outside" / "big.bin";
    WriteFile(bigOutside, 5000000);
    // Summed before the link is made: Wine shows a Unix link as what it points to.
    std::uintmax_t expected = FolderSize(install) / 1000000;
    std::string why;
    ASSERT_TRUE(testsupport::MakeLink(bigOutside.parent_path().string(),
                                      (install / "link").string(), why))
        << why;

    EXPECT_EQ(1, RunCleaner());

    std::string ini = ReadText(install / "localinfor.ini");
    std::string expectedIni = "[user]\nname=Ann\n[app]\nversion=3\nusedspace=" +
                              std::to_string(expected) + "\n[last]\nk=v\n";
    // The Windows writer may write its own line ends; compare without them.
    ini.erase(std::remove(ini.begin(), ini.end(), '\r'), ini.end());
    EXPECT_EQ(expectedIni, ini);
}

TEST_F(CleanerProgram, PublishedVersionIsReadWhileClientRuns)
{
    {
        Child client;
        ASSERT_TRUE(client.Start(ProgramPath("Moravel2010IBeta-sim"), {"--version", "57"}));
        ASSERT_EQ("ready", client.ReadLine());
        EXPECT_EQ(57, cleaner::CResourceCleaner().ReadLocalVersion());
        client.CloseInput();
        EXPECT_EQ(0, client.Wait());
    }
    EXPECT_EQ(0, cleaner::CResourceCleaner().ReadLocalVersion());
}

TEST(SubstituteClient, RefusesBadArguments)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"--version", "x7"}, {"--version", "99999999999"},
          {"--frobnicate"}, {"--version", "1", "--version", "2"}}) {
        EXPECT_EQ(2, testsupport::RunProgram(ProgramPath("Moravel2010IBeta-sim"), args))
            << args.back();
    }
}

#ifdef _WIN32
// A folder this test holds open without delete sharing cannot go, but what it holds does:
// the cleaner empties a folder it may not delete.
TEST_F(CleanerProgram, FolderHeldWithoutDeleteSharingIsStillEmptied)
{
    MakeClientFolder();
    const fs::path held = clientFolder / "cache";
    HANDLE handle = CreateFileA(held.string().c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    int code = RunCleaner();
    CloseHandle(handle);
    EXPECT_EQ(1, code);
    EXPECT_TRUE(fs::is_directory(held));
    EXPECT_FALSE(fs::exists(held / "deep"));
    EXPECT_FALSE(fs::exists(clientFolder / "settings.dat"));
}
#endif
