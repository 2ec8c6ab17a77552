// A test folder with the built cleaner copied into an installation of its own and an
// all-users data folder of its own, run through the POSIX shell so that a test can set
// limits or another user first.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

class InstalledCleaner : public testsupport::TempFolderTest {
public:
    testsupport::Environment env;
    std::filesystem::path install, petsoc, clientFolder;
    std::string cleanerCopy;

protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        install = Root() / "install";
        petsoc = install / "common" / "petsoc";
        std::filesystem::create_directories(petsoc);
        cleanerCopy = (install / "cleaner").string();
        ASSERT_TRUE(testsupport::CopyProgram(testsupport::ProgramPath("cleaner"), cleanerCopy));
        const std::string allUsers = testsupport::AllUsersDataFolder(Root().string(), env);
        clientFolder = std::filesystem::path(allUsers) / "Halvern" / "Moravel";
    }

    // "<prefix> env <the environment> <the cleaner> <args>" for `sh -c`.
    std::string Command(const std::string& prefix, const std::string& args = "") const
    {
        std::string command = prefix + " env";
        for (const auto& [name, value] : env)
            command += " '" + name + "=" + value + "'";
        return command + " '" + cleanerCopy + "'" + (args.empty() ? "" : " " + args);
    }

    int RunShell(const std::string& command, std::vector<std::string>& lines) const
    {
        return testsupport::RunProgram("/bin/sh", {"-c", command}, {}, lines);
    }
};
