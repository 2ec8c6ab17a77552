#include "cleaner/program/command_line.h"

namespace cleaner {

namespace {

struct Option {
    const char* name;
    Command command;
};

constexpr Option kOptions[] = {
    {"--dry-run", Command::DryRun},
    {"--version", Command::Version},
    {"--help", Command::Help},
};

CommandLine Usage(const std::string& what)
{
    return CommandLine{Command::Usage, "cleaner: " + what + " (see cleaner --help)"};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    bool optionSeen = false;
    for (const std::string& arg : args) {
        if (arg.empty() || arg[0] != '-')
            continue;
        if (optionSeen)
            return Usage("one option at most: " + arg);
        optionSeen = true;
        line.command = Command::Usage;
        for (const Option& option : kOptions) {
            if (arg == option.name)
                line.command = option.command;
        }
        if (line.command == Command::Usage)
            return Usage("unknown option " + arg);
    }
    return line;
}

std::string VersionText()
{
    return std::string("cleaner ") + LUMARIN_VERSION + "\n";
}

std::string HelpText()
{
    return "cleaner                  the run the client starts: silent, exit code 1\n"
           "cleaner --dry-run        every read of a real run; nothing deleted, nothing written\n"
           "cleaner --version        the project version, exit 0\n"
           "cleaner --help           these lines, exit 0\n";
}

}  // namespace cleaner
