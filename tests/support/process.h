// Starting the project's programs from tests: the built programs beside the tests, a child
// with piped standard input and output, and the exit code.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using Environment = std::vector<std::pair<std::string, std::string>>;

// Full path of a built program in the build's bin folder ("cleaner" gives ".../cleaner.exe"
// on Windows).
std::string ProgramPath(const std::string& name);
// Full path of a built library in the bin folder ("Lumarin" gives ".../Lumarin.dll" on
// Windows, ".../Lumarin.so" elsewhere).
std::string LibraryPath(const std::string& name);

// A started program. Its standard input and output are pipes; standard error is inherited.
class Child {
public:
    Child();
    ~Child();  // closes the input and waits for the program
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Starts `program` with `args` and, in its environment only, the `extra` variables.
    // With `mergeErrors`, its standard error goes to the same pipe as its output.
    bool Start(const std::string& program, const std::vector<std::string>& args,
               const Environment& extra = {}, bool mergeErrors = false);
    // Writes to its standard input; false when it cannot take it.
    bool Write(const std::string& text);
    // One line of its output without the line end; empty at end of output.
    std::string ReadLine();
    void CloseInput();
    // Waits for the program to end and gives its exit code (-1 if it could not be waited for).
    int Wait();

private:
    struct State;
    State* state_;
};

// Runs a program to its end with an empty standard input; gives its exit code.
int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const Environment& extra = {});

// The same, also giving its output lines without their line ends (up to an empty one).
int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const Environment& extra, std::vector<std::string>& lines);

// The name (for an XML declaration) of the narrow text encoding the plug-in's bytes are in:
// "UTF-8" on POSIX, "windows-<ANSI code page>" on Windows.
std::string AnsiEncodingName();

// Copies a file, keeping its permissions (programs copied into test folders).
bool CopyProgram(const std::string& from, const std::string& to);

// Makes a file that its owner (even root) cannot delete until `MakeDeletable`.
// False, with the reason, where the platform offers no such thing.
bool MakeUndeletable(const std::string& path, std::string& why);
void MakeDeletable(const std::string& path);

// Makes a symbolic link at `link` to the file or folder `target`, as a Unix link: under
// Wine, which makes none itself, from the Linux side with `ln -s` (so Win32 code meets the
// links Wine users' trees hold). False, with the reason, when no link is there afterwards.
bool MakeLink(const std::string& target, const std::string& link, std::string& why);

// Makes a FIFO at `path`: under Wine from the Linux side with `mkfifo`, so Win32 code meets
// the special files a Wine user's tree may hold. False, with the reason, when none is made.
bool MakeFifo(const std::string& path, std::string& why);

// Runs the shell `script` on the Linux side (under Wine through Wine's Z: drive) to its end,
// with `paths` (Unix paths of them under Wine) as $1, $2...; gives its exit code, -1 when it
// could not run.
int RunLinuxShell(const std::string& script, const std::vector<std::string>& paths);

// Under Wine, removes `folder` with everything in it from the Linux side, links as
// themselves (Wine's own calls, std::filesystem's included, follow Unix links), and answers
// true; false elsewhere, where std::filesystem removes links as themselves.
bool DeleteTreeUnderWine(const std::string& folder);

// The all-users application data folder the cleaner will use when started with `env`.
// POSIX: `testRoot`/programdata, added to `env` as PROGRAMDATA. Windows: the shell's
// folder (inside the test's own Wine prefix).
std::string AllUsersDataFolder(const std::string& testRoot, Environment& env);

}  // namespace testsupport
