#include "resource_cleaner.h"

#include <cstdlib>

#include "platform.h"

namespace cleaner {

namespace {
constexpr char kVersionMappingName[] = "LocalVersion";
constexpr std::size_t kVersionMappingSize = 100;
}  // namespace

int CResourceCleaner::ReadLocalVersion()
{
    std::string text;
    if (!CurrentPlatform().ReadSharedText(kVersionMappingName, kVersionMappingSize, text))
        return 0;
    return std::atoi(text.c_str());
}

void CResourceCleaner::Run()
{
    localVersion = ReadLocalVersion();
    if (localVersion == 0)
        return;
}

}  // namespace cleaner
