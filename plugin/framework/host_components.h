// The host components the plug-in uses, each defined once: the component id it is found
// by and the interface asked of it. Lookups are typed by the interface, so neither text
// is ever spelled at a call.
#pragma once

#include <tuple>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

#include "plugin/framework/host_lookup.h"

namespace lumarin {

template <class Interface>
struct HostComponent;

template <>
struct HostComponent<IFlashAPICenter> {
    static constexpr char kId[] = "flashengine", kInterface[] = "IFlashAPICenter";
};
template <>
struct HostComponent<IBrowserAPICenter> {
    static constexpr char kId[] = "browserengine", kInterface[] = "IBrowserAPICenter";
};
template <>
struct HostComponent<IPhasesLogic> {
    static constexpr char kId[] = "phaseslogic", kInterface[] = "IPhasesLogic";
};
template <>
struct HostComponent<IKivPetTitleSystem> {
    static constexpr char kId[] = "kivpettitlesystem", kInterface[] = "IKivPetTitleSystem";
};
template <>
struct HostComponent<IMainLogicPluginLoader> {
    static constexpr char kId[] = "mainlogicpluginloader",
                          kInterface[] = "IMainLogicPluginLoader";
};
template <>
struct HostComponent<ILumarin> {
    static constexpr char kId[] = "lumarin", kInterface[] = "ILumarin";
};
template <>
struct HostComponent<IOnlineRootProtocol> {
    static constexpr char kId[] = "onlinemanager", kInterface[] = "IOnlineRootProtocol";
};

// The module-wide caches, one per cached component, shared by the plug-in and both script
// bridges, and by plug-in instances alive at the same time. An entry lives until the
// instance that filled it is uninitialised (DropHostInterfaces): host components never
// outlive their host, and a later instance, perhaps under another host, looks them up
// again.
using HostInterfaceCache =
    std::tuple<CachedInterface<IFlashAPICenter>, CachedInterface<IBrowserAPICenter>,
               CachedInterface<IPhasesLogic>, CachedInterface<IKivPetTitleSystem>,
               CachedInterface<IMainLogicPluginLoader>, CachedInterface<ILumarin>>;

HostInterfaceCache& HostInterfaces();

// Empties every entry that `instance` filled.
void DropHostInterfaces(const void* instance);

// The cache entry of `Interface`.
template <class Interface>
CachedInterface<Interface>& CachedHostInterface()
{
    return std::get<CachedInterface<Interface>>(HostInterfaces());
}

// `Interface` of its component as found from `helper`, cached as GetHostInterface caches;
// null when not found. Callers hold the pointer for the calls they make with it: a host
// call may uninitialise the plug-in and so empty the cache.
template <class Interface>
Interface* FindHostInterface(TInterfaceHelper& helper)
{
    using Component = HostComponent<Interface>;
    CachedInterface<Interface>& slot = CachedHostInterface<Interface>();
    return GetHostInterface(helper, Component::kId, Component::kInterface, slot) ? slot.pointer
                                                                                 : nullptr;
}

// The same, asked of the host each time, never cached.
template <class Interface>
Interface* LookUpHostComponent(TInterfaceHelper& helper)
{
    using Component = HostComponent<Interface>;
    return static_cast<Interface*>(
        LookUpHostInterface(helper, Component::kId, Component::kInterface));
}

}  // namespace lumarin
