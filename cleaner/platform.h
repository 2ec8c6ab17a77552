// The cleaner's platform layer: every operating-system service the cleaner uses.
//
// Core code reaches the system only through `CurrentPlatform()`, so tests can install a
// fake with `UsePlatform`. Paths are narrow texts joined with `Separator()`: '\' on
// Windows, '/' on POSIX. No function here follows a link or reparse point, and none
// reports an error beyond its boolean result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cleaner {

enum class EntryKind { File, Directory, Link };

// One folder entry as the enumeration reports it. A link (symbolic link, junction or
// other reparse point) is always reported as `Link`, whatever it points to; its size is
// the link's own, never its target's.
struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    std::uint64_t size = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual char Separator() const = 0;

    // Executable file names (name only) of all running processes.
    // False when the process list cannot be read.
    virtual bool ListProcessNames(std::vector<std::string>& names) = 0;

    // The all-users application data folder; empty when it cannot be found.
    // Windows: CSIDL_COMMON_APPDATA. POSIX: $PROGRAMDATA when set and not empty, else /var/lib.
    virtual std::string CommonAppDataFolder() = 0;

    // Full path of the running executable; empty when unknown.
    virtual std::string ModuleFileName() = 0;

    // Calls `visit` for each entry matching `pattern` (a folder, the separator and a
    // wildcard name such as "*", "*.*" or "PetCommunityRes_*.xml", matched without regard
    // to letter case as Windows does; "*.*" matches every name). "." and ".." are reported
    // when the pattern matches them. False when nothing can be enumerated.
    virtual bool ForEachEntry(const std::string& pattern,
                              const std::function<void(const DirEntry&)>& visit) = 0;

    // True when `path` names an existing folder (links followed, as the system resolves it).
    virtual bool IsDirectory(const std::string& path) = 0;

    // True when `path` itself is a link (symbolic link, junction or other reparse point).
    virtual bool IsLink(const std::string& path) = 0;

    // True when the file exists and is readable and writable; false also when missing.
    virtual bool IsReadWrite(const std::string& path) = 0;
    // Gives the file read and write permission for its owner.
    virtual void MakeReadWrite(const std::string& path) = 0;
    // Deletes a file. False when it stays.
    virtual bool RemoveFile(const std::string& path) = 0;
    // Deletes a link itself, whether it points to a file or a folder, never its target.
    virtual bool RemoveLink(const std::string& path) = 0;
    // Deletes a folder that is empty. False when it stays.
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;

    virtual void PauseMilliseconds(unsigned milliseconds) = 0;

    // Reads the text at the start of the named shared memory block "name" (Windows: a
    // named file mapping; POSIX: the shared memory object "/name"), at most `maxBytes`
    // bytes and never past the block or a NUL. False when there is no such block.
    virtual bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                                std::string& text) = 0;

    // Sets `key` in `section` of an INI file, creating the file or section when missing
    // and keeping every other line. False when the file cannot be written.
    virtual bool WriteIniValue(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) = 0;
};

// The system's own platform layer.
Platform& SystemPlatform();

// The platform core code uses: the system's unless a test installed another.
Platform& CurrentPlatform();
// Installs `platform` (borrowed, must outlive its use); null restores the system's.
void UsePlatform(Platform* platform);

}  // namespace cleaner
