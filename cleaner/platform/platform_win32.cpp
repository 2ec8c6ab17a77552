// Win32 implementation of the cleaner's platform layer (narrow-character calls). Deleting
// by handle needs Windows Vista or later.
#include "cleaner/platform/platform.h"

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "cleaner/platform/entry_verdict.h"
#include "cleaner/platform/ini_file.h"

namespace cleaner {

namespace {

constexpr DWORD kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Entries are opened as themselves: a reparse point is not followed, and a folder opens too.
constexpr DWORD kOpenAsItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

// Where `handle` resolves to ("\\?\C:\..."); empty when the system cannot tell.
std::string FinalPathOf(HANDLE handle)
{
    std::string path(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = GetFinalPathNameByHandleA(handle, &path[0], static_cast<DWORD>(path.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(length + 1, '\0');
    }
    return std::string();
}

// The name in the ANSI code page. A name without an exact ANSI form gets '?' where it has
// none: it is still reported (its size counts, it keeps its folder) but can never be
// opened by that name, since no plain name holds a '?'.
std::string NarrowName(const WCHAR* wide, std::size_t length)
{
    if (length == 0)
        return std::string();
    BOOL lossy = FALSE;
    // No best-fit letters: a name that has no exact ANSI form must show as lossy.
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(length),
                                   nullptr, 0, "?", &lossy);
    if (size <= 0)
        return std::string();
    std::string name(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(length), &name[0],
                        size, "?", &lossy);
    if (lossy && name.find('?') == std::string::npos)
        name += '?';
    return name;
}

// `text` from the ANSI code page; empty when it cannot be converted.
std::wstring Widened(const std::string& text)
{
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0);
    std::wstring result(size > 0 ? static_cast<std::size_t>(size) : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            size);
    return result;
}

// A name as the file system tells names apart: without the trailing dots and blanks a
// plain path drops, upper-cased by the file system's rules, in UTF-8.
std::string NameKeyOf(const std::string& name)
{
    const std::string trimmed = TrimmedName(name);
    const std::wstring wide = Widened(trimmed.empty() ? name : trimmed);
    const int length = static_cast<int>(wide.size());
    std::wstring upper(wide.size(), L'\0');
    if (length == 0 || LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(),
                                     length, &upper[0], length, nullptr, nullptr, 0) != length)
        return trimmed.empty() ? name : trimmed;
    const int size = WideCharToMultiByte(CP_UTF8, 0, upper.c_str(), length, nullptr, 0, nullptr,
                                         nullptr);
    std::string key(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, upper.c_str(), length, &key[0], size, nullptr, nullptr);
    return key;
}

// Final paths compared as the file system compares names: ordinal, ignoring letter case.
bool SamePathIgnoringCase(const std::string& a, const std::string& b)
{
    const std::wstring wa = Widened(a), wb = Widened(b);
    return !wa.empty() && CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()),
                                               wb.c_str(), static_cast<int>(wb.size()),
                                               TRUE) == CSTR_EQUAL;
}

// The attributes of what `handle` has open (of a link itself when opened as itself).
bool AttributesOf(HANDLE handle, DWORD& attributes)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
        return false;
    attributes = tag.FileAttributes;
    return true;
}

EntryKind KindOf(DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryKind::Link;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Directory : EntryKind::File;
}

// The path `finalPath` ("\\?\C:\x", "\\?\UNC\server\share\x") as the plain calls take it,
// so that the system resolves "." and ".." steps below it as it always did for reads.
std::string PlainPath(const std::string& finalPath)
{
    const std::string unc = "\\\\?\\UNC\\", local = "\\\\?\\";
    if (finalPath.compare(0, unc.size(), unc) == 0)
        return "\\\\" + finalPath.substr(unc.size());
    if (finalPath.compare(0, local.size(), local) == 0)
        return finalPath.substr(local.size());
    return finalPath;
}

bool IsNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Reads what `handle` has open when it is a file on disk of at most `limit` bytes: exactly
// the size it had when opened (one of size 0 is not read at all); a file that grew or
// shrank meanwhile is a cut read.
ReadStatus ReadOpenedFile(HANDLE handle, std::size_t limit, std::string& text)
{
    BY_HANDLE_FILE_INFORMATION info;
    text.clear();
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || info.nFileSizeHigh != 0 ||
        info.nFileSizeLow > limit)
        return ReadStatus::Unreadable;
    const std::size_t size = info.nFileSizeLow;
    if (size == 0)
        return ReadStatus::Read;
    text.resize(size);
    for (std::size_t done = 0; done < size;) {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - done, 1 << 20));
        if (!::ReadFile(handle, &text[done], wanted, &got, nullptr) || got == 0)
            return ReadStatus::Unreadable;  // a read error, or it shrank
        done += got;
    }
    char extra = 0;  // a byte past the size tells a file that grew
    DWORD got = 0;
    return ::ReadFile(handle, &extra, 1, &got, nullptr) && got == 0 ? ReadStatus::Read
                                                                    : ReadStatus::Unreadable;
}

// FILE_ID_INFO and its class (Windows 8 and later; older systems refuse the request).
struct FileIdInfo {
    ULONGLONG volumeSerialNumber;
    BYTE fileId[16];
};
constexpr auto kFileIdInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

// What identifies what `handle` has open: the volume's serial number and the file's 128-bit
// id where the system has them, else the volume serial and the file index.
FolderId IdOfHandle(HANDLE handle)
{
    FolderId id;
    FileIdInfo info{};
    if (GetFileInformationByHandleEx(handle, kFileIdInfoClass, &info, sizeof info)) {
        id.volume = info.volumeSerialNumber;
        std::memcpy(&id.index, info.fileId, sizeof id.index);
        std::memcpy(&id.indexHigh, info.fileId + sizeof id.index, sizeof id.indexHigh);
        return id;
    }
    BY_HANDLE_FILE_INFORMATION byHandle;
    if (GetFileInformationByHandle(handle, &byHandle)) {
        id.volume = byHandle.dwVolumeSerialNumber;
        id.index = (static_cast<std::uint64_t>(byHandle.nFileIndexHigh) << 32) |
                   byHandle.nFileIndexLow;
    }
    return id;
}

// Opens `path` as a reader does (links followed), only to look at it; a folder opens too.
HANDLE OpenToLookAt(const std::string& path)
{
    return CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Reports the steps of `finalPath` ("\\?\C:\a\b") from below the volume's root down,
// each with the identity of the folder holding it; `known` keeps the identities already
// looked up by path, so that the folders shared by several paths are opened once.
bool ReportFinalSteps(const std::string& finalPath, std::map<std::string, FolderId>& known,
                      const std::function<void(const PathStep&)>& visit)
{
    std::string::size_type start = finalPath.find(':');
    if (finalPath.compare(0, 8, "\\\\?\\UNC\\") == 0)
        start = finalPath.find('\\', finalPath.find('\\', 8) + 1);  // past the share
    else if (start != std::string::npos)
        ++start;
    if (start == std::string::npos)
        return false;
    std::string at = finalPath.substr(0, start) + '\\';
    for (std::string::size_type from = start + 1; from <= finalPath.size();) {
        std::string::size_type end = finalPath.find('\\', from);
        if (end == std::string::npos)
            end = finalPath.size();
        const std::string name = finalPath.substr(from, end - from);
        const std::string next = at + (at.back() == '\\' ? "" : "\\") + name;
        for (const std::string* path : {static_cast<const std::string*>(&at), &next}) {
            if (known.count(*path))
                continue;
            HANDLE handle = OpenToLookAt(*path);
            if (handle == INVALID_HANDLE_VALUE)
                return false;
            known[*path] = IdOfHandle(handle);
            CloseHandle(handle);
        }
        if (!name.empty())
            visit(PathStep{known[at], name, known[next]});
        at = next;
        from = end + 1;
    }
    return true;
}

// Whether the INI writer would write `file`: missing, or a writable regular file on disk
// that reads whole within the size limit and is no UTF-16 text. Looked at without writing.
bool IniFits(const std::string& file)
{
    HANDLE probe = CreateFileA(file.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return IsNotFound(GetLastError());
    const bool onDisk = GetFileType(probe) == FILE_TYPE_DISK;
    CloseHandle(probe);
    HANDLE handle = onDisk ? CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)
                           : INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE)
        return false;  // no file on disk, read-only, or another writer has it open
    std::string text;
    const bool fits = ReadOpenedFile(handle, kIniSizeLimit, text) == ReadStatus::Read &&
                      !HasUtf16Mark(text);
    CloseHandle(handle);
    return fits;
}

bool MarkForDeletion(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

// An open folder. Its children are named from the path its handle resolves to, and it is
// held without delete sharing, so nobody can rename or replace it while it is open.
class Win32Folder : public Folder {
public:
    // `deletable`: opened with the right to delete the folder through this handle.
    Win32Folder(HANDLE handle, std::string finalPath, bool deletable = false)
        : handle_(handle), finalPath_(std::move(finalPath)), deletable_(deletable)
    {
    }
    ~Win32Folder() override { CloseHandle(handle_); }

    // Listed through the handle itself: a search by name would be refused while the folder
    // is held with delete access, and could be led elsewhere.
    bool List(const std::function<void(const DirEntry&)>& visit) override
    {
        std::vector<char> buffer(64 * 1024);
        FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
        while (GetFileInformationByHandleEx(handle_, request, buffer.data(),
                                            static_cast<DWORD>(buffer.size()))) {
            request = FileIdBothDirectoryInfo;
            for (DWORD offset = 0;;) {
                const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(&buffer[offset]);
                DirEntry entry;
                entry.name = NarrowName(info->FileName, info->FileNameLength / sizeof(WCHAR));
                if (!entry.name.empty() && entry.name != "." && entry.name != "..") {
                    entry.kind = KindOf(info->FileAttributes);
                    entry.size = static_cast<std::uint64_t>(info->EndOfFile.QuadPart);
                    visit(entry);
                }
                if (info->NextEntryOffset == 0)
                    break;
                offset += info->NextEntryOffset;
            }
        }
        // Read to its end, not stopped part way: only that is a whole listing.
        return GetLastError() == ERROR_NO_MORE_FILES;
    }

    bool Lookup(const std::string& name, DirEntry& entry) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!IsPlainName(name) ||
            !GetFileAttributesExA(BelowPath(name).c_str(), GetFileExInfoStandard, &data))
            return false;
        entry = DirEntry{};
        entry.name = name;
        entry.kind = KindOf(data.dwFileAttributes);
        entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return true;
    }

    // Held without delete sharing while the walk works inside it; with delete access when
    // it is to be deleted through this very handle (a second such open would be refused).
    // A folder that may not be opened for its deletion (an access list, another process
    // holding it without delete sharing) is still opened to be emptied.
    std::unique_ptr<Folder> OpenSubfolder(const DirEntry& entry, FolderAccess access) override
    {
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        bool deletable = access == FolderAccess::Delete;
        OpenedEntry opened;
        HANDLE handle =
            OpenChild(entry.name, kListAccess | (deletable ? DELETE : 0), share, opened);
        if (handle == INVALID_HANDLE_VALUE && deletable &&
            (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION)) {
            deletable = false;
            handle = OpenChild(entry.name, kListAccess, share, opened);
        }
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        if (JudgeOpenedEntry(opened, SamePathIgnoringCase) != EntryVerdict::Folder) {
            CloseHandle(handle);
            return nullptr;
        }
        return std::unique_ptr<Folder>(new Win32Folder(handle, opened.finalPath, deletable));
    }

    bool RemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        return RemoveOrCheck(name, clearReadOnly, /*commit=*/true);
    }

    bool CanRemoveEntry(const std::string& name, bool clearReadOnly) override
    {
        return RemoveOrCheck(name, clearReadOnly, /*commit=*/false);
    }

    bool RemoveSubfolder(std::unique_ptr<Folder> child, const std::string&) override
    {
        // The child was judged a folder of its own when opened and held ever since.
        const Win32Folder& folder = static_cast<Win32Folder&>(*child);
        bool removed = folder.deletable_ && MarkForDeletion(folder.handle_);
        child.reset();  // the folder goes when its last handle closes
        return removed;
    }

    bool CanRemoveSubfolder(Folder& child, const std::string&) override
    {
        const Win32Folder& folder = static_cast<Win32Folder&>(child);
        DWORD attributes = 0;
        return folder.deletable_ && AttributesOf(folder.handle_, attributes) &&
               !(attributes & FILE_ATTRIBUTE_READONLY);
    }

    FolderId Id() override { return IdOfHandle(handle_); }

    // Opened as itself: a link's own identity (under Wine, a Unix link opens as its target).
    bool IdOf(const std::string& name, FolderId& id) override
    {
        OpenedEntry opened;
        HANDLE handle = OpenChild(name, FILE_READ_ATTRIBUTES, kShareAll, opened);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        id = IdOfHandle(handle);
        CloseHandle(handle);
        return true;
    }

    bool Resolve(const std::string& path,
                 const std::function<void(const PathStep&)>& visit) override
    {
        std::map<std::string, FolderId> known;
        std::string prefix;
        bool found = true;
        for (std::string::size_type from = 0; found && from <= path.size();) {
            std::string::size_type end = path.find_first_of("\\/", from);
            if (end == std::string::npos)
                end = path.size();
            const std::string step = path.substr(from, end - from);
            from = end + 1;
            if (step.empty() || step == ".")
                continue;
            prefix += (prefix.empty() ? "" : "\\") + step;
            HANDLE handle = OpenToLookAt(BelowPath(prefix));
            if (handle == INVALID_HANDLE_VALUE)
                return false;
            const std::string finalPath = FinalPathOf(handle);
            CloseHandle(handle);
            found = ReportFinalSteps(finalPath, known, visit);
        }
        return found;
    }

    // A duplicate of the held handle: the same open folder, still without delete sharing.
    std::unique_ptr<Folder> OpenAgain(const char*) override
    {
        HANDLE copy = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), handle_, GetCurrentProcess(), &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS))
            return nullptr;
        return std::unique_ptr<Folder>(new Win32Folder(copy, finalPath_, deletable_));
    }

    // By path below the held folder, which cannot be renamed while it is held. Opened
    // without FILE_FLAG_BACKUP_SEMANTICS, so a folder does not open as a file.
    ReadStatus ReadWhole(const std::string& path, std::size_t limit, std::string& text) override
    {
        HANDLE handle = CreateFileA(BelowPath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return IsNotFound(GetLastError()) ? ReadStatus::Missing : ReadStatus::Unreadable;
        ReadStatus status = ReadOpenedFile(handle, limit, text);
        CloseHandle(handle);
        return status;
    }

    ReadStatus ListBelow(const std::string& path,
                         const std::function<void(const DirEntry&)>& visit) override
    {
        HANDLE handle = CreateFileA(BelowPath(path).c_str(), kListAccess, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return IsNotFound(GetLastError()) ? ReadStatus::Missing : ReadStatus::Unreadable;
        DWORD attributes = 0;
        if (!AttributesOf(handle, attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            CloseHandle(handle);
            return ReadStatus::Unreadable;
        }
        Win32Folder folder(handle, FinalPathOf(handle));
        return folder.List(visit) ? ReadStatus::Read : ReadStatus::Unreadable;
    }

private:
    // A plain path, as the plain calls take it: limited to MAX_PATH, with the system's usual
    // trimming of trailing dots and blanks.
    std::string BelowPath(const std::string& path) const
    {
        std::string plain = PlainPath(finalPath_);
        return plain.back() == '\\' ? plain + path : plain + '\\' + path;
    }


    // A single step: no separator, no wildcard, not "." or "..".
    static bool IsPlainName(const std::string& name)
    {
        return !name.empty() && name != "." && name != ".." &&
               name.find_first_of("\\/:*?") == std::string::npos;
    }

    // Opens `name` as itself, judges it, and with `commit` deletes it through that handle.
    // A read-only file can be deleted only once its attribute is cleared, which only
    // `clearReadOnly` allows (and only for a file, never through a link): only then is the
    // right to change attributes asked for, on a second handle of the same file.
    bool RemoveOrCheck(const std::string& name, bool clearReadOnly, bool commit)
    {
        OpenedEntry opened;
        HANDLE handle = OpenChild(name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, opened);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        EntryVerdict verdict = JudgeOpenedEntry(opened, SamePathIgnoringCase);
        bool readOnly = (opened.attributes & FILE_ATTRIBUTE_READONLY) != 0;
        bool removable = (verdict == EntryVerdict::File || verdict == EntryVerdict::Link) &&
                         (!readOnly || (clearReadOnly && verdict == EntryVerdict::File));
        if (removable && readOnly) {
            HANDLE writable = ReOpenFile(
                handle, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                kOpenAsItself);
            removable = writable != INVALID_HANDLE_VALUE;
            if (removable) {
                CloseHandle(handle);
                handle = writable;
                if (commit)
                    ClearReadOnly(handle, opened.attributes);
            }
        }
        if (removable && commit)
            removable = MarkForDeletion(handle);
        CloseHandle(handle);
        return removable;
    }

    // Opens the entry `name` as itself and gathers what the decision needs.
    // A name the system would trim ("x.") reaches another entry ("x") when one of exactly
    // its own name is there too: then it is not opened at all.
    HANDLE OpenChild(const std::string& name, DWORD rights, DWORD share, OpenedEntry& opened)
    {
        const std::string exact = finalPath_.back() == '\\' ? finalPath_ + name
                                                             : finalPath_ + '\\' + name;
        const bool trimmed = TrimmedName(name) != name;
        if (!IsPlainName(name) ||
            (trimmed && GetFileAttributesA(exact.c_str()) != INVALID_FILE_ATTRIBUTES)) {
            SetLastError(ERROR_INVALID_NAME);
            return INVALID_HANDLE_VALUE;
        }
        HANDLE handle = CreateFileA(BelowPath(name).c_str(), rights, share, nullptr,
                                    OPEN_EXISTING, kOpenAsItself, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return handle;
        DWORD attributes = 0;
        opened.attributesKnown = AttributesOf(handle, attributes);
        opened.attributes = attributes;
        opened.finalPath = FinalPathOf(handle);
        opened.parentFinalPath = finalPath_;
        opened.name = name;
        return handle;
    }

    static void ClearReadOnly(HANDLE handle, DWORD attributes)
    {
        FILE_BASIC_INFO basic{};  // zero times: left as they are
        basic.FileAttributes = attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY |
                                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (basic.FileAttributes == 0)
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
    }

    HANDLE handle_;
    std::string finalPath_;
    bool deletable_;
};

// An INI file. While it is read it is held without write sharing, so another cleaner
// cannot write it meanwhile; the temporary is created anew and held without any sharing
// until it is complete, so a planted one is never written through and nobody moves a part
// of one into place. The replace keeps the file's attributes and security.
class Win32IniFile : public RewritableFile {
public:
    explicit Win32IniFile(const std::string& path)
        : path_(Widened(path)), temporary_(Widened(TemporaryNameOf(path)))
    {
    }
    ~Win32IniFile() override { Close(); }

    ReadStatus Open(std::size_t limit, std::string& text) override
    {
        if (path_.empty() || temporary_.empty())
            return ReadStatus::Unreadable;
        DeleteFileW(temporary_.c_str());  // what a killed run left
        // Looked at first with no right to read or write: a pipe or device is never opened.
        HANDLE probe = CreateFileW(path_.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            return IsNotFound(GetLastError()) ? ReadStatus::Missing : ReadStatus::Unreadable;
        bool onDisk = GetFileType(probe) == FILE_TYPE_DISK;
        CloseHandle(probe);
        existed_ = true;
        if (!onDisk || !Reopen())
            return ReadStatus::Unreadable;  // read-only, or another writer has it open
        return ReadOpenedFile(handle_, limit, text);
    }

    bool ReplaceWhole(const std::string& text) override
    {
        Close();  // the replace opens the file itself
        HANDLE temporary = CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (temporary == INVALID_HANDLE_VALUE)
            return false;
        bool ok = WriteWhole(temporary, text.data(), text.size()) &&
                  FlushFileBuffers(temporary);
        CloseHandle(temporary);
        const DWORD moveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
        if (ok && existed_) {
            ok = ReplaceFileW(path_.c_str(), temporary_.c_str(), nullptr, 0, nullptr, nullptr);
            // A replace that failed after the old file lost its name leaves the new one.
            if (!ok && GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES &&
                IsNotFound(GetLastError()))
                ok = MoveFileExW(temporary_.c_str(), path_.c_str(), moveFlags);
        } else if (ok) {
            ok = MoveFileExW(temporary_.c_str(), path_.c_str(), moveFlags);
        }
        if (!ok)
            DeleteFileW(temporary_.c_str());
        return ok;
    }

    bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override
    {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        return Reopen() && SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) &&
               WriteWhole(handle_, data, size);
    }

    bool SetEnd(std::uint64_t size) override
    {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(size);
        return Reopen() && SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) &&
               SetEndOfFile(handle_) && FlushFileBuffers(handle_);
    }

private:
    // Opens the file for reading and writing unless it is open; once it was open, only
    // the very file (same volume and index) counts.
    bool Reopen()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            return true;
        handle_ = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        BY_HANDLE_FILE_INFORMATION info;
        if (handle_ == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle_, &info)) {
            Close();
            return false;
        }
        const std::uint64_t index =
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        if (known_ && (volume_ != info.dwVolumeSerialNumber || index_ != index)) {
            Close();
            return false;
        }
        known_ = true;
        volume_ = info.dwVolumeSerialNumber;
        index_ = index;
        return true;
    }

    void Close()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    static bool WriteWhole(HANDLE handle, const char* data, std::size_t size)
    {
        for (std::size_t done = 0; done < size;) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1 << 20));
            if (!WriteFile(handle, data + done, chunk, &written, nullptr) || written == 0)
                return false;
            done += written;
        }
        return true;
    }

    std::wstring path_, temporary_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool existed_ = false;
    bool known_ = false;
    DWORD volume_ = 0;
    std::uint64_t index_ = 0;
};

class Win32Platform : public Platform {
public:
    char Separator() const override { return '\\'; }
    std::string NameKey(const std::string& name) const override { return NameKeyOf(name); }

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

    bool IsDirectory(const std::string& path) override
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    // The root is opened as set up (links followed) and held without delete sharing, so
    // that it cannot be renamed or replaced while the cleaner works below it.
    std::unique_ptr<Folder> OpenRoot(const std::string& path, const char*) override
    {
        HANDLE handle = CreateFileA(path.c_str(), kListAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        DWORD attributes = 0;
        std::string finalPath = FinalPathOf(handle);
        if (finalPath.empty() || !AttributesOf(handle, attributes) ||
            !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            CloseHandle(handle);
            return nullptr;
        }
        return std::unique_ptr<Folder>(new Win32Folder(handle, finalPath));
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
        Win32IniFile ini(file);
        return UpdateIniFile(ini, section, key, value, "\r\n");
    }

    bool CanWriteIniValue(const std::string& file) override { return IniFits(file); }

    void Write(Stream stream, const std::string& text) override
    {
        HANDLE handle = OutputHandle(stream);
        std::size_t done = 0;
        while (handle != INVALID_HANDLE_VALUE && done < text.size()) {
            DWORD written = 0;
            if (!WriteFile(handle, text.data() + done, static_cast<DWORD>(text.size() - done),
                           &written, nullptr) ||
                written == 0)
                return;
            done += written;
        }
    }

private:
    // The standard handle when the parent handed one (a pipe, a file or its console), else
    // the parent's console, attached once; INVALID_HANDLE_VALUE when there is neither.
    HANDLE OutputHandle(Stream stream)
    {
        DWORD which = stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
        HANDLE handle = GetStdHandle(which);
        if (handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN)
            return handle;
        if (!consoleTried_) {
            consoleTried_ = true;
            if (AttachConsole(ATTACH_PARENT_PROCESS))
                console_ = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
        }
        return console_;
    }

    bool consoleTried_ = false;
    HANDLE console_ = INVALID_HANDLE_VALUE;
};

}  // namespace

Platform& SystemPlatform()
{
    static Win32Platform platform;
    return platform;
}

}  // namespace cleaner
