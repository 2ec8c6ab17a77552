#include "tests/support/process.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace testsupport {

struct Child::State {
    HANDLE process = nullptr;
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    std::string buffered;
};

namespace {

std::string Quote(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string quoted = "\"";
    for (char c : arg) {
        if (c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

void CloseIfOpen(HANDLE& handle)
{
    if (handle)
        CloseHandle(handle);
    handle = nullptr;
}

// Sets variables for the duration of a start and puts the old values back.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const Environment& extra)
    {
        for (const auto& variable : extra) {
            char old[32768];
            DWORD length = GetEnvironmentVariableA(variable.first.c_str(), old, sizeof old);
            saved_.push_back({variable.first, length ? std::string(old, length) : std::string(),
                              length != 0});
            SetEnvironmentVariableA(variable.first.c_str(), variable.second.c_str());
        }
    }
    ~ScopedEnvironment()
    {
        for (const Saved& variable : saved_)
            SetEnvironmentVariableA(variable.name.c_str(),
                                    variable.present ? variable.value.c_str() : nullptr);
    }

private:
    struct Saved {
        std::string name, value;
        bool present;
    };
    std::vector<Saved> saved_;
};

}  // namespace

std::string ProgramPath(const std::string& name)
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::filesystem::path path(std::string(self, length));
    return (path.parent_path().parent_path() / "bin" / (name + ".exe")).string();
}

std::string AnsiEncodingName()
{
    UINT codePage = GetACP();
    return codePage == CP_UTF8 ? "UTF-8" : "windows-" + std::to_string(codePage);
}

std::string LibraryPath(const std::string& name)
{
    std::string program = ProgramPath(name);
    return program.substr(0, program.size() - 4) + ".dll";
}

Child::Child() : state_(new State) {}

Child::~Child()
{
    CloseInput();
    Wait();
    CloseIfOpen(state_->output);
    delete state_;
}

bool Child::Start(const std::string& program, const std::vector<std::string>& args,
                  const Environment& extra, bool mergeErrors)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 0))
        return false;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) {
        CloseHandle(inRead);
        CloseHandle(inWrite);
        return false;
    }
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = Quote(program);
    for (const std::string& arg : args)
        commandLine += " " + Quote(arg);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = mergeErrors ? outWrite : GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    BOOL ok;
    {
        ScopedEnvironment environment(extra);
        // The program is named by the command line only: Wine then also starts a Linux
        // program ("Z:\\bin\\ln"), which it refuses when named as the application.
        ok = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &startup, &started);
    }
    CloseHandle(inRead);
    CloseHandle(outWrite);
    if (!ok) {
        CloseHandle(inWrite);
        CloseHandle(outRead);
        return false;
    }
    CloseHandle(started.hThread);
    state_->process = started.hProcess;
    state_->input = inWrite;
    state_->output = outRead;
    return true;
}

std::string Child::ReadLine()
{
    std::string& buffered = state_->buffered;
    while (buffered.find('\n') == std::string::npos && state_->output) {
        char chunk[256];
        DWORD got = 0;
        if (!ReadFile(state_->output, chunk, sizeof chunk, &got, nullptr) || got == 0)
            break;
        buffered.append(chunk, got);
    }
    std::string::size_type end = buffered.find('\n');
    std::string line = buffered.substr(0, end);
    buffered.erase(0, end == std::string::npos ? std::string::npos : end + 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool Child::Write(const std::string& text)
{
    DWORD written = 0;
    return state_->input &&
           WriteFile(state_->input, text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) &&
           written == text.size();
}

void Child::CloseInput()
{
    CloseIfOpen(state_->input);
}

int Child::Wait()
{
    if (!state_->process)
        return -1;
    WaitForSingleObject(state_->process, INFINITE);
    DWORD code = 0;
    BOOL ok = GetExitCodeProcess(state_->process, &code);
    CloseIfOpen(state_->process);
    return ok ? static_cast<int>(code) : -1;
}

bool CopyProgram(const std::string& from, const std::string& to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

namespace {
// Files held open without delete sharing, so that no other process can delete them.
std::vector<std::pair<std::string, HANDLE>> g_held;
}  // namespace

bool MakeUndeletable(const std::string& path, std::string& why)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = "cannot open the file, error " + std::to_string(GetLastError());
        return false;
    }
    g_held.emplace_back(path, file);
    return true;
}

void MakeDeletable(const std::string& path)
{
    for (auto it = g_held.begin(); it != g_held.end();) {
        if (it->first == path) {
            CloseHandle(it->second);
            it = g_held.erase(it);
        } else {
            ++it;
        }
    }
}

namespace {

// The Unix path of a Windows path, from Wine's own export; empty elsewhere.
std::string UnixPathOf(const std::string& path)
{
    using UnixFileName = char*(CDECL*)(const WCHAR*);
    // Through void(*)(): the export's real type is not FARPROC's.
    auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (!unixFileName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char* unixPath = unixFileName(wide);
    std::string result = unixPath ? unixPath : "";
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Runs the shell `script` on the Linux side (under Wine), its arguments from $1, to its end;
// gives its exit code, -1 when it cannot start or does not end within a minute. Wine hands
// out no process handle for a Linux program, so the script writes its exit code to a status
// file (renamed into place whole) and that is awaited instead.
int RunLinuxScript(const std::string& script, const std::vector<std::string>& args)
{
    static unsigned serial = 0;
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return -1;
    std::string status = std::string(folder) + "linux-script-" +
                         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string unixStatus = UnixPathOf(status);
    if (unixStatus.empty())
        return -1;
    std::vector<std::string> shellArgs = {
        "-c", script + "; echo $? > \"$0.part\" && mv \"$0.part\" \"$0\"", unixStatus};
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    Child shell;
    if (!shell.Start("Z:\\bin\\sh", shellArgs))
        return -1;
    shell.CloseInput();
    for (int waited = 0; waited < 60000; waited += 10) {
        std::ifstream in(status);
        int code = -1;
        if (in >> code) {
            in.close();
            DeleteFileA(status.c_str());
            return code;
        }
        Sleep(10);
    }
    return -1;
}

}  // namespace

bool MakeLink(const std::string& target, const std::string& link, std::string& why)
{
    std::string unixTarget = UnixPathOf(target), unixLink = UnixPathOf(link);
    if (unixTarget.empty() || unixLink.empty()) {
        why = "no Unix paths (not under Wine)";
        return false;
    }
    int code = RunLinuxScript("ln -s \"$1\" \"$2\"", {unixTarget, unixLink});
    if (code != 0 || GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
        why = "ln -s " + unixTarget + " " + unixLink + " made no link (exit " +
              std::to_string(code) + ")";
        return false;
    }
    return true;
}

bool MakeFifo(const std::string& path, std::string& why)
{
    std::string unixPath = UnixPathOf(path);
    if (unixPath.empty()) {
        why = "no Unix path (not under Wine)";
        return false;
    }
    int code = RunLinuxScript("mkfifo \"$1\"", {unixPath});
    if (code != 0) {
        why = "mkfifo " + unixPath + " failed (exit " + std::to_string(code) + ")";
        return false;
    }
    return true;
}

int RunLinuxShell(const std::string& script, const std::vector<std::string>& paths)
{
    std::vector<std::string> unixPaths;
    for (const std::string& path : paths) {
        unixPaths.push_back(UnixPathOf(path));
        if (unixPaths.back().empty())
            return -1;
    }
    return RunLinuxScript(script, unixPaths);
}

bool DeleteTreeUnderWine(const std::string& folder)
{
    std::string unixFolder = UnixPathOf(folder);
    if (unixFolder.empty())
        return false;
    RunLinuxScript("[ -L \"$1\" ] || chmod -R u+w \"$1\" 2>/dev/null; rm -rf \"$1\"",
                   {unixFolder});
    return true;
}

std::string AllUsersDataFolder(const std::string&, Environment&)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

}  // namespace testsupport
