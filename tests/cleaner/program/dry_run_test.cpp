// The command line, and the dry run on the fake tree against the real run's deletions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaner/pass/resource_cleaner.h"
#include "cleaner/program/command_line.h"
#include "cleaner/program/dry_run.h"
#include "cleaner/program/main_sequence.h"
#include "tests/cleaner/dry_run_output.h"
#include "tests/cleaner/fake_platform.h"

using cleaner::Command;

TEST(CommandLine, OptionsAndIgnoredArguments)
{
    const struct {
        std::vector<std::string> args;
        Command command;
        const char* error;
    } cases[] = {
        {{}, Command::Run, ""},
        {{"launcher-token", "C:\\x"}, Command::Run, ""},
        {{"--dry-run"}, Command::DryRun, ""},
        {{"token", "--dry-run"}, Command::DryRun, ""},
        {{"--version"}, Command::Version, ""},
        {{"--help"}, Command::Help, ""},
        {{"--dry-rnu"}, Command::Usage, "cleaner: unknown option --dry-rnu (see cleaner --help)"},
        {{"-n"}, Command::Usage, "cleaner: unknown option -n (see cleaner --help)"},
        {{"-"}, Command::Usage, "cleaner: unknown option - (see cleaner --help)"},
        {{"--DRY-RUN"}, Command::Usage, "cleaner: unknown option --DRY-RUN (see cleaner --help)"},
        {{"--dry-run", "--dry-rnu"}, Command::Usage,
         "cleaner: one option at most: --dry-rnu (see cleaner --help)"},
        {{"--dry-run", "--version"}, Command::Usage,
         "cleaner: one option at most: --version (see cleaner --help)"},
    };
    for (const auto& c : cases) {
        const cleaner::CommandLine line = cleaner::ParseCommandLine(c.args);
        const std::string shown = c.args.empty() ? "(none)" : c.args.back();
        EXPECT_EQ(c.command, line.command) << shown;
        EXPECT_EQ(c.error, line.error) << shown;
    }
}

// Runs the same tree twice, dry then for real: the dry run changes nothing and lists, in
// order, what the real run then deletes. A locked file keeps its folders, so the root line
// appears only when everything goes.
TEST(DryRun, ListsWhatTheRealRunThenDeletesAndChangesNothing)
{
    const std::string client = "C:\\ProgramData\\Halvern\\Moravel";
    for (bool locked : {false, true}) {
        FakePlatform fake;
        fake.AddFile(client + "\\a.dat", 10);
        fake.AddFile(client + "\\sub\\deeper\\read-only.dat", 10, /*readOnly=*/true);
        fake.AddFile(client + "\\held\\file.dat", 10, false, locked);
        fake.AddFile(client + "\\held\\other.dat");
        fake.AddFile("C:\\Pet\\common\\petsoc\\res.swf", 2500000);
        std::vector<std::string> before;
        for (const auto& node : fake.nodes)
            before.push_back(node.first);

        cleaner::CResourceCleaner dryCleaner;
        EXPECT_EQ(0, cleaner::RunDryRun(dryCleaner));
        std::vector<std::string> after;
        for (const auto& node : fake.nodes)
            after.push_back(node.first);
        EXPECT_EQ(before, after);
        EXPECT_TRUE(fake.iniFiles.empty());
        EXPECT_EQ(0, fake.pauses);

        cleaner::CResourceCleaner resourceCleaner;
        cleaner::RunCleaner(resourceCleaner);
        std::vector<std::string> expected;
        for (const std::string& path : fake.removed)
            expected.push_back("client:" +
                               (path == client ? "." : path.substr(client.size() + 1)) +
                               "\tclient-folder");
        const DryRunOutput output = SplitDryRun(fake.output);
        EXPECT_EQ(expected, output.paths) << "locked: " << locked;
        EXPECT_EQ(std::vector<std::string>{"usedspace=2"}, output.closing);
        EXPECT_EQ(locked ? 5u : 8u, fake.removed.size());
    }
}

// A listed path parses back to exactly one path: plain ones stay bare, anything that could
// break or forge a line is quoted with C escapes.
TEST(DryRun, PathsAreQuotedWhenTheyCouldForgeALine)
{
    const struct {
        const char* path;
        char separator;
        const char* shown;
    } cases[] = {
        {"Data/res/a.jpg", '/', "Data/res/a.jpg"},
        {"Data\\res\\a.jpg", '\\', "Data\\res\\a.jpg"},
        {"z\tscene-cache\nusedspace=0\n", '/', "\"z\\tscene-cache\\nusedspace=0\\n\""},
        {"a\\b", '/', "\"a\\\\b\""},
        {"say \"hi\"\r", '\\', "\"say \\\"hi\\\"\\r\""},
        {"Data\\q\"", '\\', "\"Data\\\\q\\\"\""},
        {"\x01\x1f\x7f", '/', "\"\\001\\037\\177\""},
        {"caf\xC3\xA9 \x80", '/', "caf\xC3\xA9 \x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.shown, cleaner::QuotedPath(c.path, c.separator)) << c.shown;
}
