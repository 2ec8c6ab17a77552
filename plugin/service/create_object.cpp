// The library's one export.
#include <new>

#include "plugin/service/lumarin_plugin.h"

// Declared, with its contract, in <lumarin/object.h>.
IPlugin* CreateObject(std::uint32_t classId)
{
    if (classId != kLumarinClassId)
        return nullptr;
    try {
        return new CLumarinPlugin();
    } catch (...) {
        return nullptr;  // nothing may leave a host call
    }
}
