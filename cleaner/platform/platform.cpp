#include "cleaner/platform/platform.h"

namespace cleaner {

namespace {
Platform* g_installed = nullptr;
}

Platform& CurrentPlatform()
{
    return g_installed ? *g_installed : SystemPlatform();
}

void UsePlatform(Platform* platform)
{
    g_installed = platform;
}

PlatformScope::PlatformScope(Platform& platform) : previous_(g_installed)
{
    g_installed = &platform;
}

PlatformScope::~PlatformScope()
{
    g_installed = previous_;
}

}  // namespace cleaner
