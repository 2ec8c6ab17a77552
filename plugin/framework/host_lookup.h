// Cached lookup of host interfaces: a component by id, then an interface by name.
#pragma once

#include "plugin/framework/host_interfaces.h"
#include "plugin/framework/interface_helper.h"

class ILumarin;

namespace lumarin {

// Looks `componentId` up from `helper` and asks it for `interfaceName`; null when either
// is not found.
void* LookUpHostInterface(TInterfaceHelper& helper, const char* componentId,
                          const char* interfaceName);

// A filled `slot` is used as it is; a successful lookup fills it, a failed one leaves it
// empty so the next use looks again.
template <class Interface>
bool GetHostInterface(TInterfaceHelper& helper, const char* componentId,
                      const char* interfaceName, Interface*& slot)
{
    if (!slot)
        slot = static_cast<Interface*>(LookUpHostInterface(helper, componentId, interfaceName));
    return slot != nullptr;
}

// The module-wide caches: filled on first success, kept for the life of the library and
// shared by the plug-in and both script bridges.
struct HostInterfaceCache {
    IFlashAPICenter* flashCenter = nullptr;
    IBrowserAPICenter* browserCenter = nullptr;
    IPhasesLogic* phasesLogic = nullptr;
    IKivPetTitleSystem* titleSystem = nullptr;
    IMainLogicPluginLoader* mainLogicLoader = nullptr;
    ILumarin* lumarin = nullptr;
};

HostInterfaceCache& HostInterfaces();

}  // namespace lumarin
