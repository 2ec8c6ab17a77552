// The cleaner program. Without options: no window, no output, exit code 1 always.
#include <new>
#include <string>
#include <vector>

#include "cleaner/pass/resource_cleaner.h"
#include "cleaner/platform/platform.h"
#include "cleaner/program/command_line.h"
#include "cleaner/program/dry_run.h"
#include "cleaner/program/main_sequence.h"

namespace {

int Main(int argc, char** argv)
{
    using cleaner::Command;
    const cleaner::CommandLine line =
        cleaner::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    cleaner::Platform& platform = cleaner::CurrentPlatform();
    cleaner::CResourceCleaner resourceCleaner;  // holds nothing until a run fills it
    switch (line.command) {
    case Command::Usage:
        platform.Write(cleaner::Stream::Error, line.error + "\n");
        return 2;
    case Command::Version:
        platform.Write(cleaner::Stream::Output, cleaner::VersionText());
        return 0;
    case Command::Help:
        platform.Write(cleaner::Stream::Output, cleaner::HelpText());
        return 0;
    case Command::DryRun:
        return cleaner::RunDryRun(resourceCleaner);
    case Command::Run:
        break;
    }
    cleaner::RunCleaner(resourceCleaner);
    return 1;
}

}  // namespace

// Memory running out anywhere ends the program with its usual exit code, never an abort.
int main(int argc, char** argv)
{
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        return 1;
    }
}
