// Traps for deletions led outside by a folder swapped for a link while the cleaner runs:
// a thread keeps swapping the folder being emptied for a link to a sentinel folder holding
// files of the same names, and back. Every sentinel file must survive.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ProgramPath;

class SwapAttack : public testsupport::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        install = Root() / "install";
        sentinel = Root() / "sentinel";
        fs::create_directories(install);
        cleanerCopy = (install / "cleaner").string();
        ASSERT_TRUE(testsupport::CopyProgram(ProgramPath("cleaner"), cleanerCopy));
        clientFolder = fs::path(testsupport::AllUsersDataFolder(Root().string(), env)) /
                       "Halvern" / "Moravel";
    }

    // Fills `folder` and the sentinel with `count` files of the same names.
    void FillBoth(const fs::path& folder, int count)
    {
        for (int i = 0; i < count; ++i) {
            std::string name = "f" + std::to_string(i) + ".jpg";
            WriteFile(folder / name, 1);
            WriteFile(sentinel / name, 1);
        }
    }

    // Runs `run` while a thread swaps `folder` for a link to the sentinel and back.
    template <typename Run>
    void UnderAttack(const fs::path& folder, Run run)
    {
        std::atomic<bool> stop{false};
        const std::string path = folder.string(), away = path + ".away";
        std::thread attacker([&] {
            // Mostly the real folder, so that the cleaner enters it; now and then the link.
            while (!stop) {
                std::this_thread::sleep_for(std::chrono::microseconds(1500));
                if (rename(path.c_str(), away.c_str()) != 0)
                    continue;
                symlink(sentinel.c_str(), path.c_str());
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                unlink(path.c_str());
                rename(away.c_str(), path.c_str());
            }
        });
        run();
        stop = true;
        attacker.join();
    }

    int SentinelFiles() const
    {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(sentinel))
            count += entry.is_regular_file();
        return count;
    }

    testsupport::Environment env;
    fs::path install, sentinel, clientFolder;
    std::string cleanerCopy;
};

TEST_F(SwapAttack, ClientFolderRemovalStaysInside)
{
    for (int round = 0; round < 3; ++round) {
        RemoveTree(clientFolder);
        fs::path victim = clientFolder / "cache";
        FillBoth(victim, 200);
        UnderAttack(victim, [&] { EXPECT_EQ(1, testsupport::RunProgram(cleanerCopy, {}, env)); });
        EXPECT_EQ(200, SentinelFiles()) << "round " << round;
    }
}

TEST_F(SwapAttack, ScenePurgeStaysInside)
{
    fs::path petsoc = install / "common" / "petsoc";
    WriteText(petsoc / "PetCommunityRes_57.xml",
              "<Config><NormalRes><ResourceProperty ResID=\"Other\" ResName=\"Data/x.swf\"/>"
              "</NormalRes></Config>");
    for (int round = 0; round < 3; ++round) {
        fs::path victim = petsoc / "Data" / "res" / "scene" / "s1";
        RemoveTree(victim);
        FillBoth(victim, 3000);
        testsupport::Child client;
        ASSERT_TRUE(client.Start(ProgramPath("Moravel2010IBeta-sim"), {"--version", "57"}));
        ASSERT_EQ("ready", client.ReadLine());
        UnderAttack(victim, [&] { EXPECT_EQ(1, testsupport::RunProgram(cleanerCopy, {}, env)); });
        client.CloseInput();
        EXPECT_EQ(0, client.Wait());
        EXPECT_EQ(3000, SentinelFiles()) << "round " << round;
    }
}
