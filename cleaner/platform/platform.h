// The cleaner's platform layer: every operating-system service the cleaner uses.
//
// Core code reaches the system only through `CurrentPlatform()`, so tests can install a
// fake with `UsePlatform`. Paths are narrow texts joined with `Separator()`: '\' on
// Windows, '/' on POSIX. Reading may follow links; deleting and summing go through
// `Folder`, which never does. Inputs are read whole, only from regular files, never
// blocking and within a size limit. Nothing reports an error beyond its result.
//
// Layer: cleaner/platform/ is the bottom layer. It holds this interface, its POSIX and Win32
// implementations and their portable parts (the INI rewrite, entry verdicts, path buffers,
// the system folders); it uses nothing else of the cleaner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cleaner {

// `Unknown`: listed, though it could not be looked at (POSIX, when it cannot be stat'ed):
// it may be a folder.
enum class EntryKind { File, Directory, Link, Unknown };

enum class Stream { Output, Error };

// One folder entry as its folder reports it. A link (symbolic link, junction or other
// reparse point) is always reported as `Link`, whatever it points to; its size is the
// link's own, never its target's. `device` and `inode` identify what was listed where the
// system offers that (POSIX), so that a folder swapped after listing is not entered.
// `mountPoint`: another file system is mounted there (POSIX: another device, or the root
// of another mount where the system tells it, so a bind mount counts); no walk enters,
// removes or sums it. Windows reports mounted folders as links.
struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool mountPoint = false;
};

// What identifies an open folder, or any entry, wherever it is reached from: device and
// inode (POSIX), volume serial number and file id (Windows: the 128-bit id where the
// system has it, else the file index). All zero when the system cannot tell.
struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t indexHigh = 0;
    bool operator<(const FolderId& other) const
    {
        if (volume != other.volume)
            return volume < other.volume;
        return index != other.index ? index < other.index : indexHigh < other.indexHigh;
    }
};

// One entry that reading a path passes through: the folder holding it, its name there and
// its own identity (a link's own, before it is followed).
struct PathStep {
    FolderId folder;
    std::string name;
    FolderId id;
};

// What an open folder is for: reading, or also deleting what it holds and itself.
enum class FolderAccess { Read, Delete };

// What reading an input gave: all of it, nothing there, or something that cannot be read
// whole (no regular file, a FIFO or device, a folder where a file was expected, a read
// error, more than the limit).
enum class ReadStatus { Read, Missing, Unreadable };

// The largest "localinfor.ini" that is read and rewritten; a larger one is left alone.
constexpr std::size_t kIniSizeLimit = 1024 * 1024;

// An open folder: every call is relative to it, names are single steps (never paths), and
// nothing below it is ever reached through a link. While it is open, the folder cannot be
// renamed or replaced where the system allows that guard (Windows: held without delete
// sharing). Closing it is destroying it.
class Folder {
public:
    virtual ~Folder() = default;

    // Calls `visit` for each entry other than "." and "..". An entry that cannot be looked
    // at is still reported (as a file of size 0): it is there, and keeps its folder. False
    // when the folder cannot be listed.
    virtual bool List(const std::function<void(const DirEntry&)>& visit) = 0;

    // What `name` is, without following a link. False when there is no such entry.
    virtual bool Lookup(const std::string& name, DirEntry& entry) = 0;

    // Opens the subfolder `entry` (as listed or looked up here). Null when it is no
    // folder of its own any more (a link, replaced since it was listed, resolving elsewhere)
    // or cannot be opened.
    virtual std::unique_ptr<Folder> OpenSubfolder(const DirEntry& entry,
                                                  FolderAccess access) = 0;

    // Deletes the file or link `name` itself: never a folder, never what a link points to.
    // With `clearReadOnly`, a read-only file is made writable first (Windows; POSIX deletes
    // without regard to the file's own permissions). False when it stays.
    //   Windows: the entry is opened as itself and deleted through that handle, and only
    //   when the handle resolves to the parent's own path plus `name` (under Wine a Unix
    //   link opens as its target: it is left in place).
    virtual bool RemoveEntry(const std::string& name, bool clearReadOnly) = 0;

    // Whether `RemoveEntry(name, clearReadOnly)` would delete the entry now: the same
    // opening and checks, with nothing deleted or changed (a dry run asks this instead).
    //   POSIX: this folder writable and searchable for the effective user, the sticky
    //   folder rule (owner of the entry or of the folder, or root), and neither this folder
    //   nor the entry immutable or append-only.
    virtual bool CanRemoveEntry(const std::string& name, bool clearReadOnly) = 0;

    // Deletes `child`, opened here as `name` with FolderAccess::Delete, once it is empty;
    // the child is closed either way. False when it stays.
    virtual bool RemoveSubfolder(std::unique_ptr<Folder> child, const std::string& name) = 0;

    // Whether `RemoveSubfolder(child, name)` would delete `child` once it is empty: what
    // the system checks besides emptiness, with nothing changed (a dry run asks this).
    //   POSIX: the rights `RemoveEntry` needs in this folder, and neither folder immutable
    //   or append-only. Windows: `child` was opened with the right to delete it and is not
    //   read-only.
    virtual bool CanRemoveSubfolder(Folder& child, const std::string& name) = 0;

    // What identifies this folder (see `FolderId`).
    virtual FolderId Id() = 0;

    // The identity of the entry `name` itself, never of what a link points to. False when
    // there is no such entry or its identity cannot be told.
    virtual bool IdOf(const std::string& name, FolderId& id) = 0;

    // Resolves `path` below this folder as a reader does (links followed, ".." as the
    // system takes it) and calls `step` for each entry it passes through, in order, the
    // entry it leads to last. False when it leads to no entry; the steps reached are
    // reported all the same. An empty path leads to this folder and reports no step.
    //   Windows: each step of `path` is opened as a reader opens it, and the folders of
    //   the path it resolves to are reported from the volume's root down.
    virtual bool Resolve(const std::string& path,
                         const std::function<void(const PathStep&)>& step) = 0;

    // Another open handle of this very folder, never reopened by path, for a walk that
    // deletes for `purpose` (a text that outlives it; see `Platform::OpenRoot`). Null when
    // the system refuses.
    virtual std::unique_ptr<Folder> OpenAgain(const char* purpose) = 0;

    // Reads the whole file at `path` below this folder (steps joined with the separator;
    // links followed, as reading may) into `text`, at most `limit` bytes. Only a regular
    // file is read, and opening never blocks (a FIFO is Unreadable, never opened for
    // reading).
    virtual ReadStatus ReadWhole(const std::string& path, std::size_t limit,
                                 std::string& text) = 0;

    // Lists the folder at `path` below this one (links followed, as reading may), as `List`
    // does. Missing when nothing is there; Unreadable when something is that cannot be
    // listed (a file, a folder without the right to read it).
    virtual ReadStatus ListBelow(const std::string& path,
                                 const std::function<void(const DirEntry&)>& visit) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual char Separator() const = 0;

    // The form in which the file system tells names apart: two names with the same key
    // reach the same entry by plain path. Windows drops trailing dots and blanks and folds
    // letter case (beyond ASCII too); POSIX keeps the name as it is. Never holds a NUL.
    virtual std::string NameKey(const std::string& name) const = 0;

    // Executable file names (name only) of all running processes.
    // False when the process list cannot be read.
    virtual bool ListProcessNames(std::vector<std::string>& names) = 0;

    // The all-users application data folder; empty when it cannot be found.
    // Windows: CSIDL_COMMON_APPDATA. POSIX: $PROGRAMDATA when set and not empty, else /var/lib.
    virtual std::string CommonAppDataFolder() = 0;

    // Full path of the running executable; empty when unknown.
    virtual std::string ModuleFileName() = 0;

    // True when `path` names an existing folder (links followed, as the system resolves it).
    virtual bool IsDirectory(const std::string& path) = 0;

    // Opens the folder `path` as it is set up, links followed, for reading: the root of a
    // walk, itself never deleted, held so that it cannot be renamed where the system
    // allows that guard (Windows: without delete sharing). `purpose` names what the walk
    // deletes for ("client-folder", "scene-cache", a resource id); a dry run reports it
    // with each deletion, the system's layer ignores it. Null when it is no folder or
    // cannot be opened.
    virtual std::unique_ptr<Folder> OpenRoot(const std::string& path, const char* purpose) = 0;

    virtual void PauseMilliseconds(unsigned milliseconds) = 0;

    // Reads the text at the start of the named shared memory block "name" (Windows: a
    // named file mapping; POSIX: the shared memory object "/name", counted only when it is
    // a regular object owned by this program's user or by root, opened without blocking),
    // at most `maxBytes` bytes and never past the block or a NUL. False when there is no
    // such block.
    virtual bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                                std::string& text) = 0;

    // Sets `key` in `section` of an INI file, creating the file or section when missing
    // and keeping every other line. False when the file cannot be written, and when it is
    // there but no regular file or larger than `kIniSizeLimit`: then it is left as it is.
    virtual bool WriteIniValue(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) = 0;
    // Whether `WriteIniValue` would write `file` at all: it is missing, or a regular file
    // within `kIniSizeLimit` that can be read whole. Nothing is changed.
    virtual bool CanWriteIniValue(const std::string& file) = 0;

    // Writes `text` to the program's standard output or error. Windows, where the program
    // has no console of its own: the redirected handle when there is one, else the console
    // of the parent process when it has one, else nowhere.
    virtual void Write(Stream stream, const std::string& text) = 0;
};

// The system's own platform layer.
Platform& SystemPlatform();

// The platform core code uses: the system's unless a test installed another.
Platform& CurrentPlatform();
// Installs `platform` (borrowed, must outlive its use); null restores the system's.
void UsePlatform(Platform* platform);

// Installs a platform for the life of the scope, then puts back the one it replaced.
class PlatformScope {
public:
    explicit PlatformScope(Platform& platform);
    ~PlatformScope();
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform* previous_;
};

}  // namespace cleaner
