// POSIX implementation of the cleaner's platform layer.
#include "cleaner/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "cleaner/ini_text.h"

namespace cleaner {

namespace {

// Reads the whole regular file at `path` (relative to `dirFd`; links followed) into `text`,
// at most `limit` bytes. The entry is looked at first without opening it for reading, and
// only a regular file is opened, without blocking, through the descriptor looked at (so a
// FIFO or device swapped in meanwhile is never opened); where /proc is missing, by path,
// read only when it is still the file looked at.
ReadStatus ReadRegularFile(int dirFd, const std::string& path, std::size_t limit,
                           std::string& text)
{
    int pathFd = openat(dirFd, path.c_str(), O_PATH | O_CLOEXEC);
    if (pathFd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat seen;
    bool regular = fstat(pathFd, &seen) == 0 && S_ISREG(seen.st_mode) &&
                   static_cast<std::uint64_t>(seen.st_size) <= limit;
    int fd = -1;
    if (regular) {
        const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        fd = open(("/proc/self/fd/" + std::to_string(pathFd)).c_str(), flags);
        if (fd < 0 && errno == ENOENT)
            fd = openat(dirFd, path.c_str(), flags);
    }
    close(pathFd);
    struct stat opened;
    if (fd < 0)
        return ReadStatus::Unreadable;
    bool same = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino;
    text.clear();
    char buffer[64 * 1024];
    while (same) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            same = got == 0;
            break;
        }
        if (text.size() + static_cast<std::size_t>(got) > limit) {
            same = false;  // grew past the limit while being read
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return same ? ReadStatus::Read : ReadStatus::Unreadable;
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
    constexpr std::size_t kProcLimit = 64 * 1024;
    std::string cmdline, comm;
    ReadRegularFile(AT_FDCWD, procDir + "/cmdline", kProcLimit, cmdline);
    std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    if (!argv0.empty())
        return BaseName(argv0);
    ReadRegularFile(AT_FDCWD, procDir + "/comm", kProcLimit, comm);
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

EntryKind KindOf(const struct stat& info)
{
    if (S_ISLNK(info.st_mode))
        return EntryKind::Link;
    return S_ISDIR(info.st_mode) ? EntryKind::Directory : EntryKind::File;
}

DirEntry EntryOf(const char* name, const struct stat& info)
{
    DirEntry entry;
    entry.name = name;
    entry.kind = KindOf(info);
    entry.size = static_cast<std::uint64_t>(info.st_size);
    entry.device = static_cast<std::uint64_t>(info.st_dev);
    entry.inode = static_cast<std::uint64_t>(info.st_ino);
    return entry;
}

// An open folder: a descriptor every call works relative to. A directory stream (and its
// buffer) exists only while the folder is listed, so a walk holding one folder per level
// needs little more than a descriptor per level.
class PosixFolder : public Folder {
public:
    // Takes over `fd` (closing it on failure); null when it is -1 or no folder.
    static std::unique_ptr<Folder> Adopt(int fd)
    {
        struct stat info;
        if (fd < 0)
            return nullptr;
        if (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode)) {
            close(fd);
            return nullptr;
        }
        return std::unique_ptr<Folder>(new PosixFolder(fd));
    }

    ~PosixFolder() override { close(fd_); }

    bool List(const std::function<void(const DirEntry&)>& visit) override
    {
        int copy = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        DIR* dir = copy < 0 ? nullptr : fdopendir(copy);
        if (!dir) {
            if (copy >= 0)
                close(copy);
            return false;
        }
        rewinddir(dir);  // the copy shares the position of earlier listings
        while (dirent* found = readdir(dir)) {
            if (IsDotName(found->d_name))
                continue;
            struct stat info;
            if (fstatat(fd_, found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                visit(EntryOf(found->d_name, info));
            } else {
                DirEntry unknown;
                unknown.name = found->d_name;
                unknown.kind = EntryKind::Unknown;
                visit(unknown);
            }
        }
        closedir(dir);
        return true;
    }

    bool Lookup(const std::string& name, DirEntry& entry) override
    {
        struct stat info;
        if (fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        entry = EntryOf(name.c_str(), info);
        return true;
    }

    // Entered only when the folder opened is the one listed: same device and inode.
    std::unique_ptr<Folder> OpenSubfolder(const DirEntry& entry, FolderAccess) override
    {
        int fd = openat(fd_, entry.name.c_str(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat info;
        if (fd >= 0 && (fstat(fd, &info) != 0 ||
                        static_cast<std::uint64_t>(info.st_dev) != entry.device ||
                        static_cast<std::uint64_t>(info.st_ino) != entry.inode)) {
            close(fd);
            return nullptr;
        }
        return Adopt(fd);
    }

    // unlinkat without AT_REMOVEDIR refuses folders and removes a link as itself.
    bool RemoveEntry(const std::string& name, bool) override
    {
        return unlinkat(fd_, name.c_str(), 0) == 0;
    }

    bool CanRemoveEntry(const std::string& name, bool) override
    {
        struct stat info;
        return fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
               !S_ISDIR(info.st_mode) && MayUnlink(name, info);
    }

    bool CanRemoveSubfolder(Folder& child, const std::string& name) override
    {
        struct stat info;
        return fstat(static_cast<PosixFolder&>(child).fd_, &info) == 0 && MayUnlink(name, info);
    }

    FolderId Id() override
    {
        struct stat info;
        FolderId id;
        if (fstat(fd_, &info) == 0) {
            id.volume = static_cast<std::uint64_t>(info.st_dev);
            id.index = static_cast<std::uint64_t>(info.st_ino);
        }
        return id;
    }

    bool RemoveSubfolder(std::unique_ptr<Folder> child, const std::string& name) override
    {
        child.reset();
        return unlinkat(fd_, name.c_str(), AT_REMOVEDIR) == 0;
    }

    // "." of an open folder is that folder, wherever it has been moved since.
    std::unique_ptr<Folder> OpenAgain(const char*) override
    {
        return Adopt(openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }

    ReadStatus ReadWhole(const std::string& path, std::size_t limit, std::string& text) override
    {
        return ReadRegularFile(fd_, path, limit, text);
    }

    ReadStatus ListBelow(const std::string& path,
                         const std::function<void(const DirEntry&)>& visit) override
    {
        // O_DIRECTORY refuses anything else before it is opened: a FIFO never blocks here.
        std::unique_ptr<Folder> folder = Adopt(openat(
            fd_, path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
        if (folder)
            return folder->List(visit) ? ReadStatus::Read : ReadStatus::Unreadable;
        struct stat info;
        if (fstatat(fd_, path.c_str(), &info, 0) != 0 &&
            (errno == ENOENT || errno == ENOTDIR))
            return ReadStatus::Missing;
        return ReadStatus::Unreadable;
    }

private:
    explicit PosixFolder(int fd) : fd_(fd) {}

    // What the system checks before it unlinks `name` (looked at as `entry`) from this
    // folder: write and search rights here, the sticky rule, no immutable or append-only
    // flag on this folder or on the entry.
    bool MayUnlink(const std::string& name, const struct stat& entry) const
    {
        struct stat folder;
        if (faccessat(fd_, ".", W_OK | X_OK, AT_EACCESS) != 0 || fstat(fd_, &folder) != 0 ||
            Pinned(fd_))
            return false;
        const uid_t user = geteuid();
        if ((folder.st_mode & S_ISVTX) && user != 0 && user != entry.st_uid &&
            user != folder.st_uid)
            return false;
        if (!S_ISREG(entry.st_mode) && !S_ISDIR(entry.st_mode))
            return true;  // devices and FIFOs are never opened, not even to read flags
        int fd = openat(fd_, name.c_str(),
                        O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return true;  // flags unknown; only root can set them
        bool pinned = Pinned(fd);
        close(fd);
        return !pinned;
    }

    // True when the file open as `fd` is immutable or append-only.
    static bool Pinned(int fd)
    {
        int flags = 0;
        return ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
               (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
    }

    static bool IsDotName(const char* name)
    {
        return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
    }

    int fd_;
};

class PosixPlatform : public Platform {
public:
    char Separator() const override { return '/'; }
    std::string NameKey(const std::string& name) const override { return name; }

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
        // A name that filled the buffer may have been cut: no folder can be trusted from it.
        if (length <= 0 || length >= static_cast<ssize_t>(sizeof path - 1))
            return std::string();
        path[length] = '\0';
        return path;
    }

    bool IsDirectory(const std::string& path) override
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    std::unique_ptr<Folder> OpenRoot(const std::string& path, const char*) override
    {
        return PosixFolder::Adopt(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }

    void PauseMilliseconds(unsigned milliseconds) override
    {
        timespec pause{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
        }
    }

    // Anyone may create "/dev/shm/LocalVersion": only a regular object of this program's
    // user or of root counts, and a FIFO there is never waited for.
    bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                        std::string& text) override
    {
        int fd = shm_open(("/" + name).c_str(), O_RDONLY | O_NONBLOCK, 0);
        if (fd < 0)
            return false;
        struct stat info;
        bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                  (info.st_uid == geteuid() || info.st_uid == 0) && info.st_size > 0;
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
        std::string text;
        ReadStatus status = ReadRegularFile(AT_FDCWD, file, kIniSizeLimit, text);
        if (status == ReadStatus::Unreadable)
            return false;  // never replace what cannot be kept whole
        std::string updated = SetIniValue(text, section, key, value, "\n");
        return ReplaceWholeFile(file, updated);
    }

    void Write(Stream stream, const std::string& text) override
    {
        WriteAll(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO, text);
    }

private:
    // Writes `text` to a temporary file beside `file` and renames it over `file`, so that
    // readers see either the old or the new file, never a part of one.
    static bool ReplaceWholeFile(const std::string& file, const std::string& text)
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
