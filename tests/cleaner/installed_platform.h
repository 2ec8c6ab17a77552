// The system's platform, except that the cleaner believes it is installed in `folder`:
// reader tests work on real files in a temporary installation.
#pragma once

#include <string>

#include "cleaner/platform/folders.h"
#include "cleaner/platform/forwarding_platform.h"

class InstalledPlatform : public cleaner::ForwardingPlatform {
public:
    explicit InstalledPlatform(const std::string& folder)
        : ForwardingPlatform(cleaner::SystemPlatform()), folder_(folder)
    {
        cleaner::UsePlatform(this);
        cleaner::ResetFolderCaches();
    }
    ~InstalledPlatform() override
    {
        cleaner::UsePlatform(nullptr);
        cleaner::ResetFolderCaches();
    }

    std::string ModuleFileName() override { return folder_ + Separator() + "cleaner.exe"; }

private:
    std::string folder_;
};
