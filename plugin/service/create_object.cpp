// The library's one export.
#include "plugin/framework/host_call.h"
#include "plugin/service/lumarin_plugin.h"

// Declared, with its contract, in <lumarin/object.h>.
IPlugin* CreateObject(std::uint32_t classId)
{
    if (classId != kLumarinClassId)
        return nullptr;
    IPlugin* plugin = nullptr;
    lumarin::RunHostCall([&plugin] { plugin = new CLumarinPlugin(); });
    return plugin;
}
