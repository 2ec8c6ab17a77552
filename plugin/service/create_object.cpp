// The library's one export.
#include <new>

#include "plugin/service/lumarin_plugin.h"

// A new service plug-in for kLumarinClassId; null for any other id or when it cannot be
// built. The host frees it with Destroy.
extern "C" LUMARIN_EXPORT IPlugin* CreateObject(std::uint32_t classId)
{
    if (classId != kLumarinClassId)
        return nullptr;
    try {
        return new CLumarinPlugin();
    } catch (...) {
        return nullptr;  // nothing may leave a host call
    }
}
