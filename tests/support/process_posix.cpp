#include "tests/support/process.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace testsupport {

struct Child::State {
    pid_t pid = -1;
    int input = -1;
    int output = -1;
    std::string buffered;
};

std::string ProgramPath(const std::string& name)
{
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "bin" / name).string();
}

std::string AnsiEncodingName()
{
    return "UTF-8";
}

std::string LibraryPath(const std::string& name)
{
    return ProgramPath(name) + ".so";
}

Child::Child() : state_(new State) {}

Child::~Child()
{
    CloseInput();
    Wait();
    if (state_->output >= 0)
        close(state_->output);
    delete state_;
}

bool Child::Start(const std::string& program, const std::vector<std::string>& args,
                  const Environment& extra, bool mergeErrors)
{
    int in[2], out[2];
    if (pipe(in) != 0)
        return false;
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        if (mergeErrors)
            dup2(out[1], 2);
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        for (const auto& variable : extra)
            setenv(variable.first.c_str(), variable.second.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        return false;
    }
    state_->pid = pid;
    state_->input = in[1];
    state_->output = out[0];
    return true;
}

std::string Child::ReadLine()
{
    std::string& buffered = state_->buffered;
    while (buffered.find('\n') == std::string::npos && state_->output >= 0) {
        char chunk[256];
        ssize_t got = read(state_->output, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        buffered.append(chunk, static_cast<std::size_t>(got));
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
    std::size_t done = 0;
    while (state_->input >= 0 && done < text.size()) {
        ssize_t written = write(state_->input, text.data() + done, text.size() - done);
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return done == text.size();
}

void Child::CloseInput()
{
    if (state_->input >= 0)
        close(state_->input);
    state_->input = -1;
}

int Child::Wait()
{
    if (state_->pid < 0)
        return -1;
    int status = 0;
    while (waitpid(state_->pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    state_->pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool CopyProgram(const std::string& from, const std::string& to)
{
    std::error_code error;
    return std::filesystem::copy_file(from, to,
                                      std::filesystem::copy_options::overwrite_existing, error);
}

bool MakeUndeletable(const std::string& path, std::string& why)
{
    int fd = open(path.c_str(), O_RDONLY);
    int flags = 0;
    bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags |= FS_IMMUTABLE_FL;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (!ok)
        why = std::string("cannot set the immutable flag here (needs root and a file system "
                          "that has it): ") + std::strerror(errno);
    if (fd >= 0)
        close(fd);
    return ok;
}

void MakeDeletable(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY);
    int flags = 0;
    if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags &= ~FS_IMMUTABLE_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0)
        close(fd);
}

bool MakeLink(const std::string& target, const std::string& link, std::string& why)
{
    if (symlink(target.c_str(), link.c_str()) == 0)
        return true;
    why = std::string("symlink: ") + std::strerror(errno);
    return false;
}

bool MakeFifo(const std::string& path, std::string& why)
{
    if (mkfifo(path.c_str(), 0600) == 0)
        return true;
    why = std::string("mkfifo: ") + std::strerror(errno);
    return false;
}

int RunLinuxShell(const std::string& script, const std::vector<std::string>& paths)
{
    std::vector<std::string> args = {"-c", script, "sh"};
    args.insert(args.end(), paths.begin(), paths.end());
    return RunProgram("/bin/sh", args);
}

bool DeleteTreeUnderWine(const std::string&)
{
    return false;
}

std::string AllUsersDataFolder(const std::string& testRoot, Environment& env)
{
    std::string folder = testRoot + "/programdata";
    std::filesystem::create_directories(folder);
    env.emplace_back("PROGRAMDATA", folder);
    return folder;
}

}  // namespace testsupport
