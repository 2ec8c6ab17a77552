// Removal below a root through open folders, and size summing, on the fake tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "cleaner/removal/folder_tree.h"
#include "cleaner/removal/rooted_remover.h"
#include "tests/cleaner/fake_platform.h"

using cleaner::RootedRemover;
using cleaner::SumFileSizes;

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool AnyContains(const std::vector<std::string>& list, const std::string& part)
{
    return std::any_of(list.begin(), list.end(), [&](const std::string& item) {
        return item.find(part) != std::string::npos;
    });
}

// A remover over the root folder `root`, opened as the cleaner opens its roots.
struct Rooted {
    Rooted(const std::string& root, bool pause)
        : folder(cleaner::CurrentPlatform().OpenRoot(root, "test")),
          remover(root, folder.get(), pause)
    {
    }
    std::unique_ptr<cleaner::Folder> folder;
    RootedRemover remover;
};

}  // namespace

TEST(RemoveFolderTree, RemovesNestedFilesFoldersAndReadOnlyFiles)
{
    FakePlatform fake;
    fake.AddFile("C:\\Data\\Moravel\\a.txt");
    fake.AddFile("C:\\Data\\Moravel\\sub\\deeper\\b.bin", 10, /*readOnly=*/true);
    fake.AddFolder("C:\\Data\\Moravel\\empty");
    fake.AddFile("C:\\Data\\sentinel.txt");

    Rooted("C:\\Data", false).remover.RemoveTreeAt("C:\\Data\\Moravel");

    EXPECT_FALSE(fake.Exists("C:\\Data\\Moravel"));
    EXPECT_TRUE(Contains(fake.removed, "C:\\Data\\Moravel\\sub\\deeper\\b.bin"));
    EXPECT_TRUE(fake.Exists("C:\\Data\\sentinel.txt"));
    EXPECT_EQ(0, fake.pauses);
}

TEST(RemoveFolderTree, LeavesUndeletableFileWithItsFolders)
{
    FakePlatform fake;
    fake.AddFile("C:\\D\\M\\keep\\held.dat", 1, false, /*locked=*/true);
    fake.AddFile("C:\\D\\M\\keep\\other.dat");
    fake.AddFile("C:\\D\\M\\gone\\x.dat");
    fake.AddFile("C:\\D\\M\\top.dat");

    Rooted("C:\\D", true).remover.RemoveTreeAt("C:\\D\\M");

    EXPECT_TRUE(fake.Exists("C:\\D\\M\\keep\\held.dat"));
    EXPECT_TRUE(fake.Exists("C:\\D\\M\\keep"));
    EXPECT_TRUE(fake.Exists("C:\\D\\M"));
    EXPECT_FALSE(fake.Exists("C:\\D\\M\\keep\\other.dat"));
    EXPECT_FALSE(fake.Exists("C:\\D\\M\\gone"));
    EXPECT_FALSE(fake.Exists("C:\\D\\M\\top.dat"));
    // One 2 ms pause after each file, whether its deletion worked or not.
    EXPECT_EQ(4, fake.pauses);
}

TEST(RemoveFolderTree, RemovesLinksAsThemselvesWithoutEnteringThem)
{
    FakePlatform fake;
    fake.AddLink("C:\\D\\M\\junction");
    fake.AddLink("C:\\D\\Linked");
    fake.AddFile("C:\\Elsewhere\\precious.txt");

    Rooted rooted("C:\\D", false);
    RootedRemover& remover = rooted.remover;
    remover.RemoveTreeAt("C:\\D\\M");
    remover.RemoveTreeAt("C:\\D\\Linked");

    EXPECT_EQ((std::vector<std::string>{"C:\\D\\M\\junction", "C:\\D\\M", "C:\\D\\Linked"}),
              fake.removed);
    EXPECT_TRUE(fake.Exists("C:\\Elsewhere\\precious.txt"));
    EXPECT_FALSE(AnyContains(fake.opened, "junction"));
    EXPECT_FALSE(AnyContains(fake.opened, "Linked"));
}

TEST(RootedRemover, TouchesOnlyWhatLiesStrictlyBelowTheRootThroughFolders)
{
    const std::string root = "C:\\Pet\\common\\petsoc";
    const struct {
        const char* path;
        bool tree;
        bool removed;
    } cases[] = {
        {"C:\\Pet\\common\\petsoc\\Data\\a.swf", false, true},
        {"C:\\Pet\\common\\petsoc\\Data\\.\\a.swf", false, true},
        {"C:\\Pet\\common\\petsoc\\Data\\\\a.swf", false, true},
        {"C:\\Pet\\common\\petsoc\\Data\\..\\..\\sentinel.zip", false, false},
        {"C:\\Pet\\common\\petsoc\\..\\sentinel.zip", false, false},
        {"C:\\Pet\\common\\petsocX\\a.swf", false, false},
        {"C:\\Pet\\common\\petsoc", true, false},
        {"C:\\Pet\\common\\petsoc\\", true, false},
        {"C:\\Pet\\common\\petsoc\\linked\\a.swf", false, false},  // a link on the way
        {"C:\\Pet\\common\\petsoc\\Data", false, false},           // a folder is no file
        {"C:\\Pet\\common\\petsoc\\Data\\a.swf", true, false},     // a file is no tree
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        fake.AddFile(root + "\\Data\\a.swf");
        fake.AddFile("C:\\Pet\\common\\sentinel.zip");
        fake.AddFile("C:\\Pet\\common\\petsocX\\a.swf");
        fake.AddLink(root + "\\linked");
        Rooted rooted(root, false);
    RootedRemover& remover = rooted.remover;
        if (c.tree)
            remover.RemoveTreeAt(c.path);
        else
            remover.RemoveFileAt(c.path, false);
        EXPECT_EQ(c.removed, !fake.removed.empty()) << c.path;
        EXPECT_FALSE(fake.removed.size() > 1) << c.path;
        EXPECT_FALSE(AnyContains(fake.opened, "linked")) << c.path;
    }
}

TEST(RootedRemover, SortedPathsOpenEachFolderOnce)
{
    FakePlatform fake;
    for (const char* name : {"x\\1", "x\\2", "x\\deep\\3", "y\\4", "y\\5"})
        fake.AddFile(std::string("C:\\R\\Data\\") + name);

    Rooted rooted("C:\\R", false);
    RootedRemover& remover = rooted.remover;
    for (const char* name : {"x\\1", "x\\2", "x\\deep\\3", "y\\4", "y\\5"})
        remover.RemoveFileAt(std::string("C:\\R\\Data\\") + name, false);

    EXPECT_EQ(5u, fake.removed.size());
    EXPECT_EQ((std::vector<std::string>{"C:\\R", "C:\\R\\Data", "C:\\R\\Data\\x",
                                        "C:\\R\\Data\\x\\deep", "C:\\R\\Data\\y"}),
              fake.opened);
}

TEST(SumFileSizes, AddsFilesOfAllLevelsToRunningTotal)
{
    FakePlatform fake;
    fake.AddFile("C:\\Pet\\a", 100);
    fake.AddFile("C:\\Pet\\sub\\b", 20);
    fake.AddFile("C:\\Pet\\sub\\deep\\c", 3);
    fake.AddFile("C:\\Pet\\" + std::string(250, 'd') + "\\inner\\file", 1000);
    EXPECT_EQ(1123u, SumFileSizes("C:\\Pet", 0));
    EXPECT_EQ(2123u, SumFileSizes("C:\\Pet", 1000));
    EXPECT_EQ(7u, SumFileSizes("C:\\Missing", 7));
}

TEST(SumFileSizes, CountsEachFileInFullBeyondFourGiBAndNeverEntersLinks)
{
    FakePlatform fake;
    fake.AddFile("C:\\Pet\\big1", 0x80000000ull);
    fake.AddFile("C:\\Pet\\big2", 0x80000000ull);
    fake.AddFile("C:\\Pet\\huge", 0x100000005ull);
    fake.AddLink("C:\\Pet\\link");
    fake.nodes["C:\\Pet\\link"].size = 7;  // the link's own size
    EXPECT_EQ(0x20000000Cull, SumFileSizes("C:\\Pet", 0));
    EXPECT_FALSE(AnyContains(fake.opened, "link"));
}
