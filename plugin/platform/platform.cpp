#include "plugin/platform/platform.h"

namespace lumarin {

namespace {
Platform* g_platform = nullptr;
}  // namespace

Platform& CurrentPlatform()
{
    return g_platform ? *g_platform : SystemPlatform();
}

void UsePlatform(Platform* platform)
{
    g_platform = platform;
}

}  // namespace lumarin
