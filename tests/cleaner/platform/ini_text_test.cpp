#include <gtest/gtest.h>

#include <string>

#include "cleaner/platform/ini_text.h"

using cleaner::SetIniValue;

namespace {
std::string Set(const std::string& text)
{
    return SetIniValue(text, "app", "usedspace", "12", "\n");
}
}  // namespace

TEST(SetIniValue, ReplacesOnlyTheKeyAndKeepsEveryOtherLine)
{
    EXPECT_EQ("; comment\n[other]\nusedspace=99\n[App]\nname = x\nUsedSpace=12\nlast=1\n",
              Set("; comment\n[other]\nusedspace=99\n[App]\nname = x\nUsedSpace = 7\nlast=1\n"));
}

TEST(SetIniValue, AddsMissingKeyAfterSectionsLastLine)
{
    EXPECT_EQ("[app]\nversion=3\nusedspace=12\n\n[next]\nk=v\n",
              Set("[app]\nversion=3\n\n[next]\nk=v\n"));
    EXPECT_EQ("[ app ]\nusedspace=12\n", Set("[ app ]\n"));
}

TEST(SetIniValue, AppendsMissingSectionOrCreatesText)
{
    EXPECT_EQ("[app]\nusedspace=12\n", Set(""));
    EXPECT_EQ("[other]\nk=v\n[app]\nusedspace=12\n", Set("[other]\nk=v\n"));
    // A last line without its line end gets one before the new section.
    EXPECT_EQ("[other]\nk=v\n[app]\nusedspace=12\n", Set("[other]\nk=v"));
}

TEST(SetIniValue, KeepsWindowsLineEndsAndUnterminatedLastLine)
{
    EXPECT_EQ("[a]\r\nx=1\r\n[app]\r\nusedspace=12\r\n", Set("[a]\r\nx=1\r\n"));
    EXPECT_EQ("[app]\r\nusedspace=12\r\n[b]\r\ny=2", Set("[app]\r\nusedspace=1\r\n[b]\r\ny=2"));
    EXPECT_EQ("[app]\r\nusedspace=12\r\n",
              SetIniValue("", "app", "usedspace", "12", "\r\n"));
}
