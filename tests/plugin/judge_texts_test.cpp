// Writes the Flash request and page text the built library sends for awkward records,
// with the values each must give back, for the XML parser and script engine that judge
// them (judge.js). The records' names hold quotes, backslashes, markup, "]]>", line
// breaks, bytes above 127 and 17 bytes without a terminator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "plugin/platform/platform.h"
#include "plugin/platform/text_conversion.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/example_pet.h"
#include "tests/support/process.h"

namespace {

struct Case {
    const char* petname;
    const char* kivname;
    std::uint16_t titleid;
};

// Up to 17 bytes of `text` into a name field; a 17-byte text leaves no terminator.
template <std::size_t N>
void SetName(char (&field)[N], const char* text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(std::strlen(text), N));
}

std::string Utf8Of(const std::string& ansi)
{
    BSTR wide = lumarin::AnsiToBstr(ansi, lumarin::CodePage::Thread);
    std::string utf8;
    lumarin::BstrToUtf8(wide, utf8);
    SysFreeString(wide);
    return utf8;
}

std::string JsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(JudgeTexts, WriteTextsOfAwkwardRecords)
{
    const Case cases[] = {
        {"Pip", "Ann", 0},
        {"O'Ne\"il", "<b>&amp;</b>", 7},
        {"a]]>b\\c", "line\nbreak\r", 8},
        {"ABCDEFGHIJKLMNOPQ", "abcdefghijklmnopq", 0},
        {"Zo\xC3\xAB \xC3\xA9", "\xE2\x80\xA8x\xE2\x80\xA9", 0},
        {"</script>", "]]]]>", 7},
    };
    simhost::SubstituteHost host;
    host.titleSystem.titles[7] = {"</script><b>'\\", "#FFD700"};
    host.titleSystem.titles[8] = {"Star\nLine", "it's"};
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(testsupport::LibraryPath("Lumarin"), error)) << error;
    ASSERT_EQ(1, host.StartPlugin());

    const std::filesystem::path folder = "judge-texts";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    int n = 0;
    for (const Case& c : cases) {
        PetInfo pet = ExamplePet();
        pet.petid = kExamplePetId + static_cast<std::uint64_t>(n);
        SetName(pet.petname, c.petname);
        SetName(pet.kivname, c.kivname);
        pet.titleid = c.titleid;
        pet.vipFlag = static_cast<std::int8_t>(n % 2 ? -1 : 1);
        host.pets[pet.petid] = pet;
        host.flashEngine.calls.clear();
        host.browserEngine.calls.clear();
        host.flashEngine.MovieCall("Lumarin_GetPetInfo", std::to_string(pet.petid));
        host.DeliverPending();
        ASSERT_EQ(1u, host.flashEngine.calls.size());
        ASSERT_EQ(1u, host.browserEngine.calls.size());

        auto title = host.titleSystem.titles.find(c.titleid);
        const std::map<std::string, std::string> expected = {
            {"petid", std::to_string(pet.petid)},
            {"kivnumber", std::to_string(static_cast<std::uint32_t>(pet.petid))},
            {"petclass", "2"},
            {"petgender", "1"},
            {"petname", Utf8Of(std::string(c.petname).substr(0, 17))},
            {"kivname", Utf8Of(std::string(c.kivname).substr(0, 17))},
            {"petLevel", "12"},
            {"vipFlag", std::to_string(pet.vipFlag)},
            {"avatarVersion", "3"},
            {"avatarnum", "2"},
            {"avatardata", "5.1001#-1.7#"},
            {"titleid", std::to_string(c.titleid)},
            {"titlename", title == host.titleSystem.titles.end() ? "" : Utf8Of(title->second.name)},
            {"titlecolor",
             title == host.titleSystem.titles.end() ? "" : Utf8Of(title->second.color)},
        };
        std::string json = "{\"encoding\": " + JsonString(testsupport::AnsiEncodingName());
        for (const auto& [key, value] : expected)
            json += ",\n " + JsonString(key) + ": " + JsonString(value);
        const std::string name = std::to_string(n++);
        WriteFile(folder / ("expected-" + name + ".json"), json + "}\n");
        WriteFile(folder / ("flash-" + name + ".xml"), host.flashEngine.calls[0]);
        WriteFile(folder / ("page-" + name + ".txt"), host.browserEngine.calls[0].argument);
    }
    host.StopPlugin();
}
