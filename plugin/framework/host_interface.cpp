#include "host_interface.h"

bool LookUpHostInterface(TInterfaceHelper& helper, const char* componentId,
                         const char* interfaceName, void*& slot)
{
    if (slot)
        return true;
    IPlugin* component = helper.QueryComponent(componentId, nullptr);
    if (!component)
        return false;
    void* found = nullptr;
    if (!component->GetInterface(interfaceName, &found))
        return false;
    slot = found;
    return true;
}

HostInterfaceCache& HostInterfaces()
{
    static HostInterfaceCache caches;
    return caches;
}
