// The system's platform, except that the cleaner believes it is installed in `folder`:
// reader tests work on real files in a temporary installation.
#pragma once

#include <cstddef>
#include <string>

#include "cleaner/folders.h"
#include "cleaner/platform.h"

class InstalledPlatform : public cleaner::Platform {
public:
    explicit InstalledPlatform(const std::string& folder) : folder_(folder)
    {
        cleaner::UsePlatform(this);
        cleaner::ResetFolderCaches();
    }
    ~InstalledPlatform() override
    {
        cleaner::UsePlatform(nullptr);
        cleaner::ResetFolderCaches();
    }

    char Separator() const override { return system_.Separator(); }
    bool ListProcessNames(std::vector<std::string>& names) override
    {
        return system_.ListProcessNames(names);
    }
    std::string CommonAppDataFolder() override { return system_.CommonAppDataFolder(); }
    std::string ModuleFileName() override { return folder_ + Separator() + "cleaner.exe"; }
    bool ForEachEntry(const std::string& pattern,
                      const std::function<void(const cleaner::DirEntry&)>& visit) override
    {
        return system_.ForEachEntry(pattern, visit);
    }
    bool IsDirectory(const std::string& path) override { return system_.IsDirectory(path); }
    std::unique_ptr<cleaner::Folder> OpenRoot(const std::string& path) override
    {
        return system_.OpenRoot(path);
    }
    void PauseMilliseconds(unsigned milliseconds) override
    {
        system_.PauseMilliseconds(milliseconds);
    }
    bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                        std::string& text) override
    {
        return system_.ReadSharedText(name, maxBytes, text);
    }
    bool WriteIniValue(const std::string& file, const std::string& section,
                       const std::string& key, const std::string& value) override
    {
        return system_.WriteIniValue(file, section, key, value);
    }

private:
    std::string folder_;
    cleaner::Platform& system_ = cleaner::SystemPlatform();
};
