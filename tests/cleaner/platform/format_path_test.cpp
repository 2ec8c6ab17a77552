#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cleaner/platform/format_path.h"

using cleaner::FormatPath;

TEST(FormatPath, KeepsWholeTextThatFits)
{
    char buffer[16];
    EXPECT_TRUE(FormatPath(buffer, sizeof buffer, "%s%c%s", "C:", '\\', "Pet"));
    EXPECT_STREQ("C:\\Pet", buffer);
    // capacity - 1 characters still fit.
    EXPECT_TRUE(FormatPath(buffer, sizeof buffer, "%s", std::string(15, 'a').c_str()));
    EXPECT_EQ(15u, std::strlen(buffer));
}

TEST(FormatPath, CutsAtCapacityMinusOneAndTerminates)
{
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(FormatPath(buffer, sizeof buffer, "%s\\%s", "folder", "name.txt"));
    EXPECT_STREQ("folder\\", buffer);

    char path[cleaner::kPathCapacity];
    std::string longName(300, 'n');
    EXPECT_FALSE(FormatPath(path, sizeof path, "C:\\%s", longName.c_str()));
    EXPECT_EQ(cleaner::kPathCapacity - 1, std::strlen(path));
    EXPECT_EQ(0, std::strncmp(path, "C:\\nnn", 6));
}
