// POSIX implementation of the cleaner's platform layer.
#include "platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "ini_text.h"

namespace cleaner {

namespace {

std::string ReadWholeFile(const std::string& path, bool* found)
{
    std::ifstream in(path, std::ios::binary);
    *found = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string BaseName(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A process's executable name: the base name of its exe link, else of argv[0], else comm.
std::string ProcessName(const std::string& procDir)
{
    char target[4096];
    ssize_t length = readlink((procDir + "/exe").c_str(), target, sizeof target - 1);
    if (length > 0) {
        target[length] = '\0';
        std::string name = BaseName(target);
        const std::string deleted = " (deleted)";
        if (name.size() > deleted.size() &&
            name.compare(name.size() - deleted.size(), deleted.size(), deleted) == 0)
            name.erase(name.size() - deleted.size());
        return name;
    }
    bool found = false;
    std::string cmdline = ReadWholeFile(procDir + "/cmdline", &found);
    std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    if (!argv0.empty())
        return BaseName(argv0);
    std::string comm = ReadWholeFile(procDir + "/comm", &found);
    while (!comm.empty() && comm.back() == '\n')
        comm.pop_back();
    return comm;
}

bool IsAllDigits(const char* text)
{
    if (*text == '\0')
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

bool MatchesPattern(const std::string& wildcard, const char* name)
{
    // As on Windows, "*.*" matches every name, with or without a dot.
    if (wildcard == "*.*" || wildcard == "*")
        return true;
    return fnmatch(wildcard.c_str(), name, FNM_CASEFOLD | FNM_NOESCAPE) == 0;
}

class PosixPlatform : public Platform {
public:
    char Separator() const override { return '/'; }

    bool ListProcessNames(std::vector<std::string>& names) override
    {
        DIR* proc = opendir("/proc");
        if (!proc)
            return false;
        while (dirent* entry = readdir(proc)) {
            if (!IsAllDigits(entry->d_name))
                continue;
            std::string name = ProcessName(std::string("/proc/") + entry->d_name);
            if (!name.empty())
                names.push_back(name);
        }
        closedir(proc);
        return true;
    }

    std::string CommonAppDataFolder() override
    {
        const char* programData = std::getenv("PROGRAMDATA");
        if (programData && *programData)
            return programData;
        return "/var/lib";
    }

    std::string ModuleFileName() override
    {
        char path[4096];
        ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        if (length <= 0)
            return std::string();
        path[length] = '\0';
        return path;
    }

    bool ForEachEntry(const std::string& pattern,
                      const std::function<void(const DirEntry&)>& visit) override
    {
        std::string::size_type slash = pattern.rfind('/');
        std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash);
        std::string wildcard = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
        if (folder.empty())
            folder = "/";
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            return false;
        while (dirent* found = readdir(dir)) {
            if (!MatchesPattern(wildcard, found->d_name))
                continue;
            struct stat info;
            // Relative to the open folder: no path walk per entry, and links not followed.
            if (fstatat(dirfd(dir), found->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            DirEntry entry;
            entry.name = found->d_name;
            entry.kind = S_ISLNK(info.st_mode)  ? EntryKind::Link
                         : S_ISDIR(info.st_mode) ? EntryKind::Directory
                                                 : EntryKind::File;
            entry.size = static_cast<std::uint64_t>(info.st_size);
            visit(entry);
        }
        closedir(dir);
        return true;
    }

    bool IsDirectory(const std::string& path) override
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    bool IsLink(const std::string& path) override
    {
        struct stat info;
        return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    }

    bool IsReadWrite(const std::string& path) override
    {
        return access(path.c_str(), R_OK | W_OK) == 0;
    }

    void MakeReadWrite(const std::string& path) override
    {
        struct stat info;
        // Never through a link: only a regular file's own permissions change.
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            chmod(path.c_str(), S_IRUSR | S_IWUSR);
    }

    bool RemoveFile(const std::string& path) override { return unlink(path.c_str()) == 0; }

    bool RemoveLink(const std::string& path) override { return unlink(path.c_str()) == 0; }

    bool RemoveEmptyFolder(const std::string& path) override
    {
        return rmdir(path.c_str()) == 0;
    }

    void PauseMilliseconds(unsigned milliseconds) override
    {
        timespec pause{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
        }
    }

    bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                        std::string& text) override
    {
        int fd = shm_open(("/" + name).c_str(), O_RDONLY, 0);
        if (fd < 0)
            return false;
        struct stat info;
        bool ok = fstat(fd, &info) == 0 && info.st_size > 0;
        std::size_t length = ok ? std::min<std::size_t>(maxBytes, info.st_size) : 0;
        void* view = ok ? mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
        close(fd);
        if (view == MAP_FAILED)
            return false;
        const char* bytes = static_cast<const char*>(view);
        text.assign(bytes, strnlen(bytes, length));
        munmap(view, length);
        return true;
    }

    bool WriteIniValue(const std::string& file, const std::string& section,
                       const std::string& key, const std::string& value) override
    {
        bool existed = false;
        std::string text = ReadWholeFile(file, &existed);
        if (!existed && access(file.c_str(), F_OK) == 0)
            return false;  // present but unreadable: never replace what cannot be kept
        std::string updated = SetIniValue(text, section, key, value, "\n");
        return ReplaceFile(file, updated);
    }

private:
    // Writes `text` to a temporary file beside `file` and renames it over `file`, so that
    // readers see either the old or the new file, never a part of one.
    static bool ReplaceFile(const std::string& file, const std::string& text)
    {
        std::string temporary = file + ".XXXXXX";
        int fd = mkstemp(&temporary[0]);
        if (fd < 0)
            return false;
        struct stat old;
        fchmod(fd, stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
        bool ok = WriteAll(fd, text) && fsync(fd) == 0;
        ok = close(fd) == 0 && ok;
        if (ok && rename(temporary.c_str(), file.c_str()) == 0)
            return true;
        unlink(temporary.c_str());
        return false;
    }

    static bool WriteAll(int fd, const std::string& text)
    {
        std::size_t done = 0;
        while (done < text.size()) {
            ssize_t written = write(fd, text.data() + done, text.size() - done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            done += static_cast<std::size_t>(written);
        }
        return true;
    }
};

}  // namespace

Platform& SystemPlatform()
{
    static PosixPlatform platform;
    return platform;
}

}  // namespace cleaner
