// Cached lookup of host interfaces: a component by id, then an interface by name.
#pragma once

#include <lumarin/host_interfaces.h>

#include "plugin/framework/interface_helper.h"

class ILumarin;

namespace lumarin {

// Looks `componentId` up from `helper` and asks it for `interfaceName`; null when either
// is not found.
void* LookUpHostInterface(TInterfaceHelper& helper, const char* componentId,
                          const char* interfaceName);

// One cached interface, and the plug-in instance whose lookup filled it (a script bridge
// looks up for the plug-in that owns it).
template <class Interface>
struct CachedInterface {
    Interface* operator->() const { return pointer; }
    Interface& operator*() const { return *pointer; }

    Interface* pointer = nullptr;
    const void* filler = nullptr;
};

// The plug-in instance a lookup from `helper` serves: `helper` itself when it is a plug-in,
// else the plug-in it is attached to.
const void* InstanceOf(TInterfaceHelper& helper);

// A filled `slot` is used as it is; a successful lookup fills it, a failed one leaves it
// empty so the next use looks again.
template <class Interface>
bool GetHostInterface(TInterfaceHelper& helper, const char* componentId,
                      const char* interfaceName, CachedInterface<Interface>& slot)
{
    if (!slot.pointer) {
        slot.pointer =
            static_cast<Interface*>(LookUpHostInterface(helper, componentId, interfaceName));
        slot.filler = slot.pointer ? InstanceOf(helper) : nullptr;
    }
    return slot.pointer != nullptr;
}

// The module-wide caches, shared by the plug-in and both script bridges, and by plug-in
// instances alive at the same time. An entry lives until the instance that filled it is
// uninitialised (DropHostInterfaces): host components never outlive their host, and a
// later instance, perhaps under another host, looks them up again.
struct HostInterfaceCache {
    CachedInterface<IFlashAPICenter> flashCenter;
    CachedInterface<IBrowserAPICenter> browserCenter;
    CachedInterface<IPhasesLogic> phasesLogic;
    CachedInterface<IKivPetTitleSystem> titleSystem;
    CachedInterface<IMainLogicPluginLoader> mainLogicLoader;
    CachedInterface<ILumarin> lumarin;
};

HostInterfaceCache& HostInterfaces();

// Empties every entry that `instance` filled.
void DropHostInterfaces(const void* instance);

}  // namespace lumarin
