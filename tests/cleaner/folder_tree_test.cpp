#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fake_platform.h"
#include "folder_tree.h"
#include "format_path.h"

using cleaner::RemoveFolderTree;
using cleaner::SumFileSizes;

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(RemoveFolderTree, RemovesNestedFilesFoldersAndReadOnlyFiles)
{
    FakePlatform fake;
    fake.AddFile("C:\\Data\\Moravel\\a.txt");
    fake.AddFile("C:\\Data\\Moravel\\sub\\deeper\\b.bin", 10, /*readOnly=*/true);
    fake.AddFolder("C:\\Data\\Moravel\\empty");
    fake.AddFile("C:\\Data\\sentinel.txt");

    EXPECT_TRUE(RemoveFolderTree("C:\\Data\\Moravel", false));

    EXPECT_FALSE(fake.Exists("C:\\Data\\Moravel"));
    EXPECT_TRUE(Contains(fake.removed, "C:\\Data\\Moravel\\sub\\deeper\\b.bin"));
    EXPECT_TRUE(fake.Exists("C:\\Data\\sentinel.txt"));
    EXPECT_EQ(0, fake.pauses);
}

TEST(RemoveFolderTree, LeavesUndeletableFileWithItsFolders)
{
    FakePlatform fake;
    fake.AddFile("C:\\M\\keep\\held.dat", 1, false, /*locked=*/true);
    fake.AddFile("C:\\M\\keep\\other.dat");
    fake.AddFile("C:\\M\\gone\\x.dat");
    fake.AddFile("C:\\M\\top.dat");

    EXPECT_TRUE(RemoveFolderTree("C:\\M", true));

    EXPECT_TRUE(fake.Exists("C:\\M\\keep\\held.dat"));
    EXPECT_TRUE(fake.Exists("C:\\M\\keep"));
    EXPECT_TRUE(fake.Exists("C:\\M"));
    EXPECT_FALSE(fake.Exists("C:\\M\\keep\\other.dat"));
    EXPECT_FALSE(fake.Exists("C:\\M\\gone"));
    EXPECT_FALSE(fake.Exists("C:\\M\\top.dat"));
    // One 2 ms pause after each file, whether its deletion worked or not.
    EXPECT_EQ(4, fake.pauses);
}

TEST(RemoveFolderTree, RemovesLinkItselfWithoutEnteringIt)
{
    FakePlatform fake;
    fake.AddLink("C:\\M\\junction");
    fake.AddFile("C:\\Elsewhere\\precious.txt");

    RemoveFolderTree("C:\\M", false);

    EXPECT_TRUE(Contains(fake.removed, "C:\\M\\junction"));
    EXPECT_FALSE(fake.Exists("C:\\M"));
    EXPECT_TRUE(fake.Exists("C:\\Elsewhere\\precious.txt"));
    for (const std::string& pattern : fake.patterns)
        EXPECT_EQ(std::string::npos, pattern.find("junction")) << pattern;
}

TEST(RemoveFolderTree, MissingFolderIsSuccessAndDeletesNothing)
{
    FakePlatform fake;
    fake.AddFile("C:\\M\\other.txt");
    EXPECT_TRUE(RemoveFolderTree("C:\\M\\missing", true));
    EXPECT_TRUE(fake.removed.empty());
}

TEST(SumFileSizes, AddsFilesOfAllLevelsToRunningTotal)
{
    FakePlatform fake;
    fake.AddFile("C:\\Pet\\a", 100);
    fake.AddFile("C:\\Pet\\sub\\b", 20);
    fake.AddFile("C:\\Pet\\sub\\deep\\c", 3);
    EXPECT_EQ(123u, SumFileSizes("C:\\Pet", 0));
    EXPECT_EQ(1123u, SumFileSizes("C:\\Pet", 1000));
    EXPECT_EQ(7u, SumFileSizes("C:\\Missing", 7));
}

TEST(SumFileSizes, CountsEachFileInFullBeyondFourGiB)
{
    FakePlatform fake;
    fake.AddFile("C:\\Pet\\big1", 0x80000000ull);
    fake.AddFile("C:\\Pet\\big2", 0x80000000ull);
    fake.AddFile("C:\\Pet\\huge", 0x100000005ull);
    EXPECT_EQ(0x200000005ull, SumFileSizes("C:\\Pet", 0));
}

TEST(SumFileSizes, NeverEntersLinksOrCutPaths)
{
    FakePlatform fake;
    fake.AddFile("C:\\Pet\\a", 5);
    fake.AddLink("C:\\Pet\\link");
    std::string longName(250, 'd');
    fake.AddFile("C:\\Pet\\" + longName + "\\inner\\file", 1000);

    EXPECT_EQ(5u, SumFileSizes("C:\\Pet", 0));
    for (const std::string& pattern : fake.patterns) {
        EXPECT_EQ(std::string::npos, pattern.find("link")) << pattern;
        EXPECT_EQ(std::string::npos, pattern.find("inner")) << pattern;
        EXPECT_LT(pattern.size(), cleaner::kPathCapacity);
    }
}
