// Lookup of host interfaces, a component by id, then an interface by name, and the cache
// entry that keeps one. The components the plug-in uses are in host_components.h.
#pragma once

#include "plugin/framework/interface_helper.h"

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

}  // namespace lumarin
