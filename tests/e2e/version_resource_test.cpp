// The PE files' version resources and the cleaner's manifest, read back as Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace {

std::vector<char> VersionInfo(const std::string& file)
{
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(file.c_str(), &ignored));
    if (info.empty() ||
        !GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data()))
        info.clear();
    return info;
}

std::string StringValue(std::vector<char>& info, const std::string& name)
{
    void* value = nullptr;
    UINT length = 0;
    std::string key = "\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueA(info.data(), key.c_str(), &value, &length) || length == 0)
        return std::string();
    return std::string(static_cast<const char*>(value), length - 1);  // without its NUL
}

std::string ManifestOf(const std::string& file)
{
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return std::string();
    std::string text;
    if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        HGLOBAL loaded = LoadResource(module, found);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        if (bytes)
            text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

}  // namespace

TEST(VersionResource, EveryPeFileCarriesTheProjectVersion)
{
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(3, std::sscanf(LUMARIN_VERSION, "%u.%u.%u", &major, &minor, &patch));
    const struct {
        std::string path;
        std::string fileName;
    } files[] = {
        {testsupport::ProgramPath("cleaner"), "cleaner.exe"},
        {testsupport::LibraryPath("Lumarin"), "Lumarin.dll"},
        {testsupport::ProgramPath("lumarin-host"), "lumarin-host.exe"},
        {testsupport::ProgramPath("Moravel2010IBeta-sim"), "Moravel2010IBeta-sim.exe"},
    };
    for (const auto& file : files) {
        std::vector<char> info = VersionInfo(file.path);
        ASSERT_FALSE(info.empty()) << file.path;
        EXPECT_EQ(LUMARIN_VERSION, StringValue(info, "FileVersion")) << file.fileName;
        EXPECT_EQ(LUMARIN_VERSION, StringValue(info, "ProductVersion")) << file.fileName;
        EXPECT_EQ(file.fileName, StringValue(info, "OriginalFilename"));
        EXPECT_EQ("Lumarin", StringValue(info, "ProductName")) << file.fileName;
        EXPECT_FALSE(StringValue(info, "FileDescription").empty()) << file.fileName;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(MAKELONG(minor, major), fixed->dwFileVersionMS) << file.fileName;
        EXPECT_EQ(MAKELONG(0, patch), fixed->dwFileVersionLS) << file.fileName;
    }
}

TEST(VersionResource, CleanerAnswersItsResourceVersionAndRunsAsInvoker)
{
    const std::string cleaner = testsupport::ProgramPath("cleaner");
    std::vector<char> info = VersionInfo(cleaner);
    std::vector<std::string> lines;
    EXPECT_EQ(0, testsupport::RunProgram(cleaner, {"--version"}, {}, lines));
    EXPECT_EQ(std::vector<std::string>{"cleaner " + StringValue(info, "FileVersion")}, lines);

    const std::string manifest = ManifestOf(cleaner);
    for (const char* expected :
         {"level=\"asInvoker\"", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(std::string::npos, manifest.find(expected)) << expected;
}
