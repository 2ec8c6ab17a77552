// Win32 implementation of the cleaner's platform layer (narrow-character calls).
#include "platform.h"

#include <windows.h>
#include <io.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <tlhelp32.h>

#include <cstring>

namespace cleaner {

namespace {

class Win32Platform : public Platform {
public:
    char Separator() const override { return '\\'; }

    bool ListProcessNames(std::vector<std::string>& names) override
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return false;
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry))
            names.push_back(entry.szExeFile);
        CloseHandle(snapshot);
        return true;
    }

    std::string CommonAppDataFolder() override
    {
        LPITEMIDLIST items = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_APPDATA, &items)))
            return std::string();
        char path[MAX_PATH] = "";
        BOOL ok = SHGetPathFromIDListA(items, path);
        CoTaskMemFree(items);
        return ok ? std::string(path) : std::string();
    }

    std::string ModuleFileName() override
    {
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
        // A name that filled the buffer was cut: no folder can be trusted from it.
        if (length == 0 || length >= sizeof path)
            return std::string();
        return std::string(path, length);
    }

    bool ForEachEntry(const std::string& pattern,
                      const std::function<void(const DirEntry&)>& visit) override
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return false;
        do {
            DirEntry entry;
            entry.name = found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                entry.kind = EntryKind::Link;
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                entry.kind = EntryKind::Directory;
            else
                entry.kind = EntryKind::File;
            entry.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) |
                         found.nFileSizeLow;
            visit(entry);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return true;
    }

    bool IsDirectory(const std::string& path) override
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool IsLink(const std::string& path) override
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }

    bool IsReadWrite(const std::string& path) override
    {
        return _access(path.c_str(), 6) == 0;
    }

    void MakeReadWrite(const std::string& path) override
    {
        _chmod(path.c_str(), _S_IREAD | _S_IWRITE);
    }

    bool RemoveFile(const std::string& path) override
    {
        return DeleteFileA(path.c_str()) != 0;
    }

    // A junction or folder link is removed as a folder, which leaves its target alone.
    bool RemoveLink(const std::string& path) override
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return RemoveDirectoryA(path.c_str()) != 0;
        return DeleteFileA(path.c_str()) != 0;
    }

    bool RemoveEmptyFolder(const std::string& path) override
    {
        return RemoveDirectoryA(path.c_str()) != 0;
    }

    void PauseMilliseconds(unsigned milliseconds) override { Sleep(milliseconds); }

    bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                        std::string& text) override
    {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
        if (!mapping)
            return false;
        void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, maxBytes);
        if (!view) {
            CloseHandle(mapping);
            return false;
        }
        const char* bytes = static_cast<const char*>(view);
        std::size_t length = 0;
        while (length < maxBytes && bytes[length] != '\0')
            ++length;
        text.assign(bytes, length);
        UnmapViewOfFile(view);
        CloseHandle(mapping);
        return true;
    }

    bool WriteIniValue(const std::string& file, const std::string& section,
                       const std::string& key, const std::string& value) override
    {
        return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                          file.c_str()) != 0;
    }
};

}  // namespace

Platform& SystemPlatform()
{
    static Win32Platform platform;
    return platform;
}

}  // namespace cleaner
