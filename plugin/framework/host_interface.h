// Cached lookup of host interfaces: a component by id, then an interface by name.
#pragma once

#include "host_interfaces.h"
#include "interface_helper.h"

class ILumarin;

// Looks `componentId` up from `helper` and asks it for `interfaceName`. A filled `slot` is
// used as it is; a success fills it, a failure leaves it empty so the next use looks again.
bool LookUpHostInterface(TInterfaceHelper& helper, const char* componentId,
                         const char* interfaceName, void*& slot);

template <class Interface>
bool GetHostInterface(TInterfaceHelper& helper, const char* componentId,
                      const char* interfaceName, Interface*& slot)
{
    if (slot)
        return true;
    void* found = nullptr;
    if (!LookUpHostInterface(helper, componentId, interfaceName, found))
        return false;
    slot = static_cast<Interface*>(found);
    return true;
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
