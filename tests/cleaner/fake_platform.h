// An in-memory platform for the cleaner's core: a folder tree with Windows separators
// (files with their texts), a process list, shared texts and INI files, recording what
// the core asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cleaner/platform/folders.h"
#include "cleaner/platform/platform.h"

class FakePlatform : public cleaner::Platform {
public:
    struct Node {
        cleaner::EntryKind kind = cleaner::EntryKind::File;
        std::uint64_t size = 0;
        bool readOnly = false;
        bool locked = false;  // held open by someone: cannot be deleted
        bool unreadable = false;  // a FIFO or device, or a file without read permission
        bool unstatable = false;  // listed as of unknown kind: it cannot be looked at
        std::string text;         // what reading it gives
    };

    // Installs itself for the test's duration, with fresh folder caches.
    FakePlatform();
    ~FakePlatform() override;

    void AddFolder(const std::string& path);
    void AddFile(const std::string& path, std::uint64_t size = 1, bool readOnly = false,
                 bool locked = false);
    void AddLink(const std::string& path);
    // A file holding `text`.
    void AddText(const std::string& path, const std::string& text);
    bool Exists(const std::string& path) const { return nodes.count(path) != 0; }

    std::map<std::string, Node> nodes;
    std::vector<std::string> processes;
    bool processListAvailable = true;
    std::string commonAppData = "C:\\ProgramData";
    std::string moduleFile = "C:\\Pet\\cleaner.exe";
    std::map<std::string, std::string> sharedTexts;
    std::map<std::string, std::string> iniFiles;  // file path to its text
    bool foldsCase = true;
    // Each entry's identity, by its path (given out on first use; a test may make two paths
    // one entry by giving them the same number first).
    std::map<std::string, std::uint64_t> ids;
    cleaner::FolderId IdOfPath(const std::string& path);

    std::vector<std::string> opened;    // every folder opened (roots included), in order
    std::vector<std::string> removed;   // files, links and folders deleted, in order
    std::string output, errors;     // what was written to standard output and error
    int commonAppDataCalls = 0;
    int pauses = 0;

    char Separator() const override { return '\\'; }
    // With `foldsCase`, names compare as on Windows: trailing dots and blanks dropped, ASCII
    // letter case folded.
    std::string NameKey(const std::string& name) const override;
    bool ListProcessNames(std::vector<std::string>& names) override;
    std::string CommonAppDataFolder() override;
    std::string ModuleFileName() override { return moduleFile; }
    bool IsDirectory(const std::string& path) override;
    std::unique_ptr<cleaner::Folder> OpenRoot(const std::string& path,
                                              const char* purpose) override;
    void PauseMilliseconds(unsigned milliseconds) override;
    bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                        std::string& text) override;
    bool WriteIniValue(const std::string& file, const std::string& section,
                       const std::string& key, const std::string& value) override;
    bool CanWriteIniValue(const std::string&) override { return true; }
    void Write(cleaner::Stream stream, const std::string& text) override;

    // The children of `folder`.
    std::vector<cleaner::DirEntry> EntriesOf(const std::string& folder) const;
    bool HasChildren(const std::string& folder) const;
    static std::string ParentOf(const std::string& path);
};
