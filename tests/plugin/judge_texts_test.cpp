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
#include <iterator>
#include <map>

#include "plugin/platform/platform.h"
#include "plugin/platform/text_conversion.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/code_page.h"
#include "tests/plugin/example_pet.h"
#include "tests/plugin/wide_text.h"
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

// The folder the judge reads (below the build folder, named by the build), emptied the
// first time it is asked for.
std::filesystem::path JudgeFolder()
{
    static const std::filesystem::path folder = [] {
        std::filesystem::path path = LUMARIN_JUDGE_TEXTS;
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// The values a text must give back, as JSON; `encoding` names the Flash request's bytes.
void WriteExpected(const std::string& name, const std::string& encoding,
                   const std::map<std::string, std::string>& expected)
{
    std::string json = "{\"encoding\": " + JsonString(encoding);
    for (const auto& [key, value] : expected)
        json += ",\n " + JsonString(key) + ": " + JsonString(value);
    WriteFile(JudgeFolder() / ("expected-" + name + ".json"), json + "}\n");
}

// The fields both texts must give back for `pet`, a changed copy of ExamplePet(): its
// name fields read up to their 17 bytes, and the title's name and colour as the host gives
// them, each as the code page reads the bytes.
std::map<std::string, std::string> ExpectedFields(const PetInfo& pet,
                                                  const std::string& titleName,
                                                  const std::string& titleColor)
{
    const auto field = [](const auto& name) {
        return std::string(std::begin(name), std::find(std::begin(name), std::end(name), '\0'));
    };
    return {
        {"petid", std::to_string(pet.petid)},
        {"kivnumber", std::to_string(static_cast<std::uint32_t>(pet.petid))},
        {"petclass", "2"},
        {"petgender", "1"},
        {"petname", Utf8OfAnsi(field(pet.petname))},
        {"kivname", Utf8OfAnsi(field(pet.kivname))},
        {"petLevel", "12"},
        {"vipFlag", std::to_string(pet.vipFlag)},
        {"avatarVersion", "3"},
        {"avatarnum", "2"},
        {"avatardata", "5.1001#-1.7#"},
        {"titleid", std::to_string(pet.titleid)},
        {"titlename", Utf8OfAnsi(titleName)},
        {"titlecolor", Utf8OfAnsi(titleColor)},
    };
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

    const std::filesystem::path folder = JudgeFolder();
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
        const bool titled = title != host.titleSystem.titles.end();
        const std::map<std::string, std::string> expected = ExpectedFields(
            pet, titled ? title->second.name : "", titled ? title->second.color : "");
        const std::string name = std::to_string(n++);
        WriteExpected(name, testsupport::AnsiEncodingName(), expected);
        WriteFile(folder / ("flash-" + name + ".xml"), host.flashEngine.calls[0]);
        WriteFile(folder / ("page-" + name + ".txt"), host.browserEngine.calls[0].argument);
    }
    host.StopPlugin();
}

// Page texts in the double-byte code pages of clients in other languages: names and titles
// with a lead byte before each character a script string must escape, and lead bytes cut
// off at the end (a name's 17 bytes without terminator, a title's last byte). Each value
// must come back exactly as the code page reads its bytes, and no byte sequence may end a
// string early. Where the thread's code page cannot be switched (POSIX), the process's own
// narrow encoding takes the same bytes.
TEST(JudgeTexts, WriteTextsInDoubleByteCodePages)
{
    simhost::SubstituteHost host;
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(testsupport::LibraryPath("Lumarin"), error)) << error;
    ASSERT_EQ(1, host.StartPlugin());
    int tried = 0, cases = 0;
    for (unsigned codePage : {936u, 950u, 932u, 949u, 0u}) {
        if (!testsupport::UseThreadCodePage(codePage))
            continue;
        ++tried;
        for (const char lead : {'\x81', '\xA4', '\xE0'}) {
            const std::string l(1, lead);
            std::string title;
            for (const char* special : {"'", "\\", "\r", "\n", "<", "/", "</", "\"", "x"})
                title += l + special;
            PetInfo pet = ExamplePet();
            pet.petid = kExamplePetId + 100 + static_cast<std::uint64_t>(cases++);
            const std::string petName = l + "'" + l + "\\" + l + "\r" + l + "\n" + l + "</<" + l +
                                        "/ab" + l,  // 17 bytes, the last a lead byte
                kivName = "'" + l + "\\" + l + "<" + l;
            SetName(pet.petname, petName.c_str());
            SetName(pet.kivname, kivName.c_str());
            pet.titleid = 9;
            host.titleSystem.titles[9] = {title + l, l};
            host.pets[pet.petid] = pet;
            host.browserEngine.calls.clear();
            host.flashEngine.MovieCall("Lumarin_GetPetInfo", std::to_string(pet.petid));
            host.DeliverPending();
            ASSERT_EQ(1u, host.browserEngine.calls.size());

            const std::string name = "cp" + std::to_string(codePage) + "-" +
                                     std::to_string(static_cast<unsigned char>(lead));
            WriteExpected(name, "", ExpectedFields(pet, title + l, l));
            // Only the page text: the Flash request carries the code page's bytes as they are.
            WriteFile(JudgeFolder() / ("page-" + name + ".txt"),
                      host.browserEngine.calls[0].argument);
        }
    }
    testsupport::UseThreadCodePage(0);
    EXPECT_GT(tried, 0);
    host.StopPlugin();
}
