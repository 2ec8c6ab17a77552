// lumarin-host with the built plug-in library: commands in, one line per callback out.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/plugin/example_pet.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace {

struct HostRun {
    std::vector<std::string> lines;
    int exitCode;
};

HostRun RunHost(const std::string& commands, const std::vector<std::string>& args = {},
            bool mergeErrors = false)
{
    testsupport::Child host;
    HostRun run{{}, -1};
    if (!host.Start(testsupport::ProgramPath("lumarin-host"), args, {}, mergeErrors))
        return run;
    host.Write(commands);
    host.CloseInput();
    for (std::string line = host.ReadLine(); !line.empty(); line = host.ReadLine())
        run.lines.push_back(line);
    run.exitCode = host.Wait();
    return run;
}

const std::string kFlashLine = std::string("flash ") + kExampleFlashRequest;
const std::string kPageLine = std::string("page Lumarin_GetPetInfoCallBackSuc ") + kExamplePageText;

}  // namespace

TEST(LumarinHost, WorkedExampleFromTheSampleSet)
{
    HostRun run = RunHost("flash Lumarin_GetPetInfo 433791706897\n"
                      "page Lumarin_GetPetInfo 433791706897\n");
    EXPECT_EQ(0, run.exitCode);
    // Each result reaches both bridges; the browser bridge registered last, so hears first.
    EXPECT_EQ((std::vector<std::string>{kPageLine, kFlashLine, kPageLine, kFlashLine}), run.lines);
}

TEST(LumarinHost, ListFailureCachedAndUnknownCommands)
{
    HostRun run = RunHost("flash Lumarin_GetPetInfoList 11,22\n"
                      "fail\n"
                      "cached 433791706897\n"
                      "bogus command\n"
                      "page Lumarin_GetPetInfoList 999\n"
                      "cached 11\n");
    EXPECT_EQ(0, run.exitCode);
    ASSERT_EQ(10u, run.lines.size());
    // One result of two records: each bridge sends one callback per record.
    EXPECT_EQ(0u, run.lines[0].rfind("page Lumarin_GetPetInfoCallBackSuc {petid:'11'", 0));
    EXPECT_EQ(0u, run.lines[1].rfind("page Lumarin_GetPetInfoCallBackSuc {petid:'22'", 0));
    EXPECT_EQ(0u, run.lines[2].rfind("flash <invoke name='Lumarin_GetPetInfoCallBackSuc'", 0));
    EXPECT_NE(run.lines[2].find("<string>11</string>"), std::string::npos);
    EXPECT_NE(run.lines[3].find("<string>22</string>"), std::string::npos);
    EXPECT_EQ("page Lumarin_GetPetInfoCallBackFail", run.lines[4]);
    EXPECT_EQ(std::string("flash ") + kFlashFailure, run.lines[5]);
    EXPECT_EQ("not cached", run.lines[6]);  // nothing asked for it in this run
    EXPECT_EQ("page Lumarin_GetPetInfoCallBackFail", run.lines[7]);  // 999 is unknown
    EXPECT_EQ(std::string("flash ") + kFlashFailure, run.lines[8]);
    EXPECT_EQ(0u, run.lines[9].rfind("cached petid=11 petname=Bramble kivname=Olek", 0));
}

TEST(LumarinHost, HelpNamesEveryOptionAndCommandAndReadsNothing)
{
    // The commands would be played if --help were taken for an unknown argument or ignored.
    HostRun run = RunHost("flash Lumarin_GetPetInfo 433791706897\n", {"--help"});
    EXPECT_EQ(0, run.exitCode);
    for (const char* word : {"--plugin PATH", "--pets FILE", "--help", "flash Lumarin_GetPetInfo ",
                             "flash Lumarin_GetPetInfoList ", "page Lumarin_GetPetInfo ",
                             "page Lumarin_GetPetInfoList ", "fail", "cached ID"}) {
        int lines = 0;
        for (const std::string& line : run.lines)
            lines += line.rfind(std::string("  ") + word, 0) == 0;
        EXPECT_EQ(1, lines) << word;
    }
    for (const std::string& line : run.lines)
        EXPECT_NE(0u, line.rfind("flash <", 0)) << line;
}

class LumarinHostPets : public testsupport::TempFolderTest {};

TEST_F(LumarinHostPets, PetsFileIsServedAndBadOnesRefused)
{
    const std::string good = (Root() / "good.json").string();
    WriteText(good, R"({"pets": [{"petid": 5, "petname": "Zed", "kivname": "Kim",
        "petLevel": 30, "vipFlag": -1, "avatarVersion": 1, "avatarItems": [[1, 2]],
        "titleid": 9}], "titles": {"9": {"name": "Ace", "color": "red"}}})");
    HostRun run = RunHost("page Lumarin_GetPetInfo 5\n", {"--pets", good});
    EXPECT_EQ(0, run.exitCode);
    ASSERT_EQ(2u, run.lines.size());
    EXPECT_NE(run.lines[0].find("petclass:'4'"), std::string::npos);
    EXPECT_NE(run.lines[0].find(",titlename:'Ace'\t\t\t   ,titlecolor:'red'}"), std::string::npos);

    const std::string bad = (Root() / "bad.json").string();
    WriteText(bad, R"({"pets": [{"petid": 5, "petname": "ABCDEFGHIJKLMNOPQ", "kivname": "Kim",
        "petLevel": 30, "vipFlag": 0, "avatarVersion": 1, "avatarItems": [], "titleid": 0}]})");
    run = RunHost("", {"--pets", bad}, true);
    EXPECT_EQ(2, run.exitCode);
    ASSERT_EQ(1u, run.lines.size());
    EXPECT_NE(run.lines[0].find("pet 1 (petid 5): petname is longer than 16 bytes"),
              std::string::npos)
        << run.lines[0];

    run = RunHost("", {"--pets"}, true);
    EXPECT_EQ(2, run.exitCode);
}

TEST_F(LumarinHostPets, TraceLinesReachTheSharedLogFile)
{
    // A copy of the host and library in a folder of its own, with tracing to Log/Log.log.
    namespace fs = std::filesystem;
    const fs::path host = Root() / fs::path(testsupport::ProgramPath("lumarin-host")).filename();
    const fs::path library = Root() / fs::path(testsupport::LibraryPath("Lumarin")).filename();
    ASSERT_TRUE(testsupport::CopyProgram(testsupport::ProgramPath("lumarin-host"), host.string()));
    ASSERT_TRUE(testsupport::CopyProgram(testsupport::LibraryPath("Lumarin"), library.string()));
    WriteText(Root() / "Config" / "Debug.ini",
              "[Lumarin]\nShowTraceInfo=1\n[Base]\nLog2File=2\n");
    fs::create_directories(Root() / "Log");

    testsupport::Child child;
    ASSERT_TRUE(child.Start(host.string(), {}, {}, true));  // standard error read too
    child.CloseInput();
    std::vector<std::string> errors;
    for (std::string line = child.ReadLine(); !line.empty(); line = child.ReadLine())
        errors.push_back(line);
    EXPECT_EQ(0, child.Wait());
    ASSERT_EQ(2u, errors.size());  // the trace lines, also on standard error
    EXPECT_NE(errors[0].find(" TRACE:CLumarinPlugin:: PreInitialize() result=1"),
              std::string::npos);
    EXPECT_NE(errors[1].find(" TRACE:CLumarinPlugin:: Initialize() pluginname=lumarin result=1"),
              std::string::npos);

    const std::string log = ReadText(Root() / "Log" / "Log.log");
    ASSERT_GT(log.size(), 8u);  // the run's 8-byte header, then the lines
    const std::regex lines(
        "\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} TRACE:CLumarinPlugin:: PreInitialize\\(\\) result=1\r\n"
        "\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} TRACE:CLumarinPlugin:: "
        "Initialize\\(\\) pluginname=lumarin result=1\r\n");
    EXPECT_TRUE(std::regex_match(log.substr(8), lines)) << log.substr(8);
}
