// POSIX implementation of the cleaner's platform layer.
#include "cleaner/platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "cleaner/platform/ini_file.h"

namespace cleaner {

namespace {

// Reads what `fd` has open: to its end when its size is not known (a pseudo-file of /proc
// tells none), else exactly the size it had when opened (`opened`); fewer bytes (it shrank)
// or more (it grew) is a cut read. Never more than `limit` bytes.
ReadStatus ReadOpened(int fd, const struct stat& opened, bool sizeKnown, std::size_t limit,
                      std::string& text)
{
    const std::uint64_t size = static_cast<std::uint64_t>(opened.st_size);
    text.clear();
    if (sizeKnown && size > limit)
        return ReadStatus::Unreadable;
    const std::size_t wanted = sizeKnown ? static_cast<std::size_t>(size) : limit;
    if (sizeKnown)
        text.reserve(wanted);
    char buffer[64 * 1024];
    for (;;) {
        // One byte past what is wanted tells a file that grew.
        const std::size_t room = std::min(sizeof buffer, wanted - text.size() + 1);
        ssize_t got = read(fd, buffer, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ReadStatus::Unreadable;
        if (got == 0)
            return !sizeKnown || text.size() == wanted ? ReadStatus::Read : ReadStatus::Unreadable;
        if (text.size() + static_cast<std::size_t>(got) > wanted)
            return ReadStatus::Unreadable;  // grew while being read
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

// Reads the whole regular file at `path` (relative to `dirFd`; links followed) into `text`,
// at most `limit` bytes. The entry is looked at first without opening it for reading, and
// only a regular file is opened, without blocking, through the descriptor looked at (so a
// FIFO or device swapped in meanwhile is never opened); where /proc is missing, by path,
// read only when it is still the file looked at. Only the size it had when opened is read:
// one of size 0 (a pseudo-file such as /proc/kmsg or a tracing pipe) is not read at all.
// `pseudoFile`: a file of /proc, which tells no size, read to its end.
ReadStatus ReadRegularFile(int dirFd, const std::string& path, std::size_t limit,
                           std::string& text, bool pseudoFile = false)
{
    int pathFd = openat(dirFd, path.c_str(), O_PATH | O_CLOEXEC);
    if (pathFd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat seen;
    bool regular = fstat(pathFd, &seen) == 0 && S_ISREG(seen.st_mode) &&
                   static_cast<std::uint64_t>(seen.st_size) <= limit;
    int fd = -1;
    if (regular && (seen.st_size > 0 || pseudoFile)) {
        const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        fd = open(("/proc/self/fd/" + std::to_string(pathFd)).c_str(), flags);
        if (fd < 0 && errno == ENOENT)
            fd = openat(dirFd, path.c_str(), flags);
    }
    close(pathFd);
    text.clear();
    if (regular && seen.st_size == 0 && !pseudoFile)
        return ReadStatus::Read;
    struct stat opened;
    if (fd < 0)
        return ReadStatus::Unreadable;
    bool same = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino;
    ReadStatus status = same ? ReadOpened(fd, opened, !pseudoFile, limit, text)
                             : ReadStatus::Unreadable;
    close(fd);
    return status;
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
    ReadRegularFile(AT_FDCWD, procDir + "/cmdline", kProcLimit, cmdline, true);
    std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    if (!argv0.empty())
        return BaseName(argv0);
    ReadRegularFile(AT_FDCWD, procDir + "/comm", kProcLimit, comm, true);
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

EntryKind KindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return EntryKind::Link;
    return S_ISDIR(mode) ? EntryKind::Directory : EntryKind::File;
}

// What `name` (relative to `dirFd`; "" with AT_EMPTY_PATH for `dirFd` itself) is, without
// following a link or triggering an automount, with the mount it belongs to.
bool StatxAt(int dirFd, const char* name, int flags, struct statx& info)
{
    return statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                 STATX_BASIC_STATS | STATX_MNT_ID, &info) == 0;
}

std::uint64_t DeviceOf(const struct statx& info)
{
    return static_cast<std::uint64_t>(makedev(info.stx_dev_major, info.stx_dev_minor));
}

// True when `entry`, looked at in the folder `folder`, is the root of another mount:
// another device, or where the system tells it, a mount root or another mount id (so a bind
// mount of the same file system counts too).
bool IsMountRoot(const struct statx& entry, const struct statx& folder)
{
    if (DeviceOf(entry) != DeviceOf(folder))
        return true;
    if ((entry.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
        (entry.stx_attributes & STATX_ATTR_MOUNT_ROOT))
        return true;
    return (entry.stx_mask & STATX_MNT_ID) && (folder.stx_mask & STATX_MNT_ID) &&
           entry.stx_mnt_id != folder.stx_mnt_id;
}

DirEntry EntryOf(const char* name, const struct statx& info, const struct statx& folder)
{
    DirEntry entry;
    entry.name = name;
    entry.kind = KindOf(info.stx_mode);
    entry.size = info.stx_size;
    entry.device = DeviceOf(info);
    entry.inode = info.stx_ino;
    entry.mountPoint = IsMountRoot(info, folder);
    return entry;
}

FolderId IdOfStat(const struct stat& info)
{
    FolderId id;
    id.volume = static_cast<std::uint64_t>(info.st_dev);
    id.index = static_cast<std::uint64_t>(info.st_ino);
    return id;
}

// The steps of the paths still to be resolved: the path itself, and on top the target of
// each link met on the way (at most as many as links may be followed). "." and empty steps
// name the folder they are in and are passed over.
class PendingSteps {
public:
    void Push(const std::string& path) { paths_.push_back(Pending{path, 0}); }

    bool Next(std::string& step)
    {
        while (!paths_.empty()) {
            Pending& top = paths_.back();
            if (top.at > top.path.size()) {
                paths_.pop_back();
                continue;
            }
            std::string::size_type end = top.path.find('/', top.at);
            if (end == std::string::npos)
                end = top.path.size();
            step = top.path.substr(top.at, end - top.at);
            top.at = end + 1;
            if (!step.empty() && step != ".")
                return true;
        }
        return false;
    }

private:
    struct Pending {
        std::string path;
        std::string::size_type at;
    };
    std::vector<Pending> paths_;
};

bool ReadLinkAt(int dirFd, const std::string& name, std::string& target)
{
    char buffer[4096];
    ssize_t length = readlinkat(dirFd, name.c_str(), buffer, sizeof buffer);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof buffer))
        return false;
    target.assign(buffer, static_cast<std::size_t>(length));
    return true;
}

// An open folder: a descriptor every call works relative to. A directory stream (and its
// buffer) exists only while the folder is listed, so a walk holding one folder per level
// needs little more than a descriptor per level.
class PosixFolder : public Folder {
public:
    // Takes over `fd` (closing it on failure); null when it is -1 or no folder.
    static std::unique_ptr<PosixFolder> Adopt(int fd)
    {
        struct statx self;
        if (fd < 0)
            return nullptr;
        if (!StatxAt(fd, "", AT_EMPTY_PATH, self) || !S_ISDIR(self.stx_mode)) {
            close(fd);
            return nullptr;
        }
        return std::unique_ptr<PosixFolder>(new PosixFolder(fd, self));
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
            struct statx info;
            if (StatxAt(fd_, found->d_name, 0, info)) {
                visit(EntryOf(found->d_name, info, self_));
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
        struct statx info;
        if (!StatxAt(fd_, name.c_str(), 0, info))
            return false;
        entry = EntryOf(name.c_str(), info, self_);
        return true;
    }

    // Entered only when the folder opened is the one listed (same device and inode) and
    // belongs to this folder's mount: no walk crosses into another file system.
    std::unique_ptr<Folder> OpenSubfolder(const DirEntry& entry, FolderAccess) override
    {
        std::unique_ptr<PosixFolder> child = Adopt(openat(
            fd_, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!child || DeviceOf(child->self_) != entry.device ||
            child->self_.stx_ino != entry.inode || IsMountRoot(child->self_, self_))
            return nullptr;
        return child;
    }

    // unlinkat without AT_REMOVEDIR refuses folders and removes a link as itself.
    bool RemoveEntry(const std::string& name, bool) override
    {
        return unlinkat(fd_, name.c_str(), 0) == 0;
    }

    // One statx per entry: its kind, owner and mount and, where the file system reports
    // them with it, the immutable and append-only flags; the folder's own part is looked
    // at once. A mount point is refused by the system (busy): it stays.
    bool CanRemoveEntry(const std::string& name, bool) override
    {
        struct statx info;
        if (!StatxAt(fd_, name.c_str(), 0, info) || S_ISDIR(info.stx_mode) ||
            IsMountRoot(info, self_) || !FolderLetsGoOf(info.stx_uid))
            return false;
        constexpr auto kPinnedFlags = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
        if ((info.stx_attributes_mask & kPinnedFlags) == kPinnedFlags)
            return (info.stx_attributes & kPinnedFlags) == 0;
        return !EntryPinned(name, info.stx_mode);
    }

    bool CanRemoveSubfolder(Folder& child, const std::string& name) override
    {
        struct stat info;
        return fstat(static_cast<PosixFolder&>(child).fd_, &info) == 0 &&
               FolderLetsGoOf(info.st_uid) && !EntryPinned(name, info.st_mode);
    }

    FolderId Id() override
    {
        struct stat info;
        return fstat(fd_, &info) == 0 ? IdOfStat(info) : FolderId();
    }

    bool IdOf(const std::string& name, FolderId& id) override
    {
        struct stat info;
        if (fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        id = IdOfStat(info);
        return true;
    }

    // Step by step as the system resolves a path, so that every entry passed through is
    // seen: each link is read and its target's steps taken in its place (from "/" when it
    // is absolute), at most 40 links, as the system allows. A path longer than the system
    // takes resolves to nothing, as for a reader.
    bool Resolve(const std::string& path,
                 const std::function<void(const PathStep&)>& visit) override
    {
        constexpr int kMaxLinks = 40;
        if (path.size() >= PATH_MAX)
            return false;
        PendingSteps steps;
        steps.Push(path);
        int at = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        FolderId atId = Id();
        int links = 0;
        bool lastWasLink = false, stopped = false;
        std::string step, target;
        struct stat info;
        while (!stopped && at >= 0 && steps.Next(step)) {
            stopped = fstatat(at, step.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0;
            if (stopped)
                break;
            visit(PathStep{atId, step, IdOfStat(info)});
            lastWasLink = S_ISLNK(info.st_mode);
            if (lastWasLink) {
                stopped = ++links > kMaxLinks || !ReadLinkAt(at, step, target);
                if (stopped)
                    break;
                steps.Push(target);
                if (target[0] == '/') {
                    close(at);
                    at = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
                    atId = at >= 0 && fstat(at, &info) == 0 ? IdOfStat(info) : FolderId();
                }
                continue;
            }
            if (!S_ISDIR(info.st_mode)) {
                close(at);
                return !steps.Next(step);  // a file ends the path
            }
            int next = openat(at, step.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            close(at);
            at = next;
            atId = at >= 0 && fstat(at, &info) == 0 ? IdOfStat(info) : FolderId();
        }
        if (at < 0)
            return false;
        close(at);
        if (stopped)
            return false;
        if (lastWasLink)
            visit(PathStep{atId, ".", atId});  // a link to a folder that is no step of its own
        return true;
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
    PosixFolder(int fd, const struct statx& self) : fd_(fd), self_(self) {}

    // What the system checks of this folder before it unlinks an entry owned by `owner`
    // from it: write and search rights, no immutable or append-only flag, the sticky rule.
    // The folder's part is looked at once per open folder (a dry run asks for every file).
    bool FolderLetsGoOf(uid_t owner)
    {
        if (!folderLook_) {
            struct stat folder{};
            const bool open = faccessat(fd_, ".", W_OK | X_OK, AT_EACCESS) == 0 &&
                              fstat(fd_, &folder) == 0 && !Pinned(fd_);
            folderLook_ = FolderLook{open, (folder.st_mode & S_ISVTX) != 0, folder.st_uid};
        }
        const uid_t user = geteuid();
        return folderLook_->open &&
               !(folderLook_->sticky && user != 0 && user != owner &&
                 user != folderLook_->owner);
    }

    // True when the entry `name` (of `mode`) is immutable or append-only, read by opening it.
    bool EntryPinned(const std::string& name, mode_t mode) const
    {
        if (!S_ISREG(mode) && !S_ISDIR(mode))
            return false;  // devices and FIFOs are never opened, not even to read flags
        int fd = openat(fd_, name.c_str(),
                        O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return false;  // flags unknown; only root can set them
        bool pinned = Pinned(fd);
        close(fd);
        return pinned;
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

    struct FolderLook {
        bool open;    // may be written and searched, and is not pinned
        bool sticky;
        uid_t owner;
    };
    int fd_;
    std::optional<FolderLook> folderLook_;
    struct statx self_;  // this folder as opened: its device, inode and mount
};

// Writes all `size` bytes at `offset`, or where the descriptor stands when it is -1.
bool WriteAll(int fd, const char* data, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        ssize_t written = offset < 0 ? write(fd, data + done, size - done)
                                     : pwrite(fd, data + done, size - done,
                                              offset + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// An INI file: its folder held open (and locked, so that two cleaners never write it at
// once), the file itself opened without following a link, and every step relative to the
// folder. The temporary is created anew (O_EXCL), so a planted one is never written
// through; it takes the INI's permissions, and its owner when root writes.
class PosixIniFile : public RewritableFile {
public:
    explicit PosixIniFile(const std::string& path)
    {
        const std::string::size_type slash = path.rfind('/');
        folderPath_ = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
        name_ = slash == std::string::npos ? path : path.substr(slash + 1);
        temporary_ = TemporaryNameOf(name_);
    }

    ~PosixIniFile() override
    {
        if (fd_ >= 0)
            close(fd_);
        if (folder_ >= 0)
            close(folder_);  // releases the lock
    }

    ReadStatus Open(std::size_t limit, std::string& text) override
    {
        folder_ = open(folderPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder_ >= 0 ? !LockFolder() : errno != EACCES)
            return ReadStatus::Unreadable;
        if (folder_ < 0)  // a folder the user may pass but not list: no lock to take there
            folder_ = open(folderPath_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder_ < 0)
            return ReadStatus::Unreadable;
        unlinkat(folder_, temporary_.c_str(), 0);  // what a killed run left
        return OpenFile(limit, text);
    }

    // Whether a write would be made, found as Open finds it but with no lock taken and
    // nothing removed or written: what a dry run asks.
    bool WouldWrite()
    {
        folder_ = open(folderPath_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder_ < 0)
            return false;
        std::string text;
        const ReadStatus status = OpenFile(kIniSizeLimit, text);
        if (status == ReadStatus::Missing)  // made anew beside it
            return faccessat(folder_, ".", W_OK | X_OK, AT_EACCESS) == 0;
        return status == ReadStatus::Read && !HasUtf16Mark(text);
    }

    bool ReplaceWhole(const std::string& text) override
    {
        int fd = openat(folder_, temporary_.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        bool ok = fchmod(fd, fd_ >= 0 ? (info_.st_mode & 0777) : 0644) == 0;
        if (fd_ >= 0 && geteuid() == 0)
            ok = ok && fchown(fd, info_.st_uid, info_.st_gid) == 0;
        ok = ok && WriteAll(fd, text.data(), text.size(), 0) && fsync(fd) == 0 && Named(fd);
        ok = close(fd) == 0 && ok;
        if (ok && renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) == 0) {
            fsync(folder_);  // the new name on disk too
            return true;
        }
        unlinkat(folder_, temporary_.c_str(), 0);
        return false;
    }

    bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override
    {
        return fd_ >= 0 && WriteAll(fd_, data, size, static_cast<off_t>(offset));
    }

    bool SetEnd(std::uint64_t size) override
    {
        return fd_ >= 0 && ftruncate(fd_, static_cast<off_t>(size)) == 0 && fsync(fd_) == 0;
    }

private:
    // Opens the INI in the open folder, for reading and writing, and reads it.
    ReadStatus OpenFile(std::size_t limit, std::string& text)
    {
        int pathFd = openat(folder_, name_.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (pathFd < 0)
            return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
        struct stat seen;
        if (fstat(pathFd, &seen) == 0 && S_ISREG(seen.st_mode)) {
            const int flags = O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
            fd_ = open(("/proc/self/fd/" + std::to_string(pathFd)).c_str(), flags);
            if (fd_ < 0 && errno == ENOENT)
                fd_ = openat(folder_, name_.c_str(), flags | O_NOFOLLOW);
        }
        close(pathFd);
        // A file nobody may write is left as it is, by root too.
        if (fd_ < 0 || fstat(fd_, &info_) != 0 || !S_ISREG(info_.st_mode) ||
            info_.st_dev != seen.st_dev || info_.st_ino != seen.st_ino ||
            (info_.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return ReadStatus::Unreadable;
        return ReadOpened(fd_, info_, true, limit, text);
    }

    // Another cleaner writing the same file holds the lock for a few milliseconds; one that
    // is held for long (by someone else) leaves the file unwritten.
    bool LockFolder()
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (flock(folder_, LOCK_EX | LOCK_NB) == 0)
                return true;
            if (errno != EWOULDBLOCK && errno != EINTR)
                return false;
            timespec pause{0, 20 * 1000000L};
            nanosleep(&pause, nullptr);
        }
        return false;
    }

    // The temporary's name still leads to what `fd` has open.
    bool Named(int fd) const
    {
        struct stat byName, opened;
        return fstatat(folder_, temporary_.c_str(), &byName, AT_SYMLINK_NOFOLLOW) == 0 &&
               fstat(fd, &opened) == 0 && byName.st_dev == opened.st_dev &&
               byName.st_ino == opened.st_ino;
    }

    std::string folderPath_, name_, temporary_;
    int folder_ = -1;
    int fd_ = -1;
    struct stat info_ {};
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
        PosixIniFile ini(file);
        return UpdateIniFile(ini, section, key, value, "\n");
    }

    bool CanWriteIniValue(const std::string& file) override
    {
        PosixIniFile ini(file);
        return ini.WouldWrite();
    }

    void Write(Stream stream, const std::string& text) override
    {
        WriteAll(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO, text.data(),
                 text.size(), -1);
    }

};

}  // namespace

Platform& SystemPlatform()
{
    static PosixPlatform platform;
    return platform;
}

}  // namespace cleaner
