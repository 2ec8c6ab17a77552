// The cleaner's command line: what a run is asked to do.
#pragma once

#include <string>
#include <vector>

namespace cleaner {

enum class Command {
    Run,     // no option: the silent run the client starts
    DryRun,  // --dry-run: every read of a run, deletions reported instead of made
    Version, // --version
    Help,    // --help
    Usage,   // anything else that begins with '-': nothing is read, deleted or written
};

struct CommandLine {
    Command command = Command::Run;
    std::string error;  // for Command::Usage: one line, without its line end
};

// `args` without the program name. Arguments that do not begin with '-' are ignored (a
// launcher may pass one); at most one option is taken.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "cleaner <version>" and the help lines, each ending with a line end.
std::string VersionText();
std::string HelpText();

}  // namespace cleaner
