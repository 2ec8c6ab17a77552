// The host components the plug-in uses, each defined once: the component id it is found
// by and the interface asked of it. Lookups are typed by the interface, so neither text
// is ever spelled at a call.
#pragma once

#include <tuple>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

#include "plugin/framework/host_lookup.h"
#include "plugin/framework/host_session.h"

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

// `Interface` of its component as found from `helper`, cached in `session`'s cache as
// GetHostInterface caches; null when not found or when the session is closed. Callers hold
// the pointer for the calls they make with it: a host call may uninitialise the plug-in
// and so empty the cache.
template <class Interface>
Interface* FindHostInterface(HostSession& session, TInterfaceHelper& helper)
{
    if (!session.IsOpen())
        return nullptr;
    using Component = HostComponent<Interface>;
    auto& slot = std::get<CachedInterface<Interface>>(session.Cache());
    return GetHostInterface(helper, Component::kId, Component::kInterface, slot) ? slot.pointer
                                                                                 : nullptr;
}

// The same, asked of the host each time, never cached.
template <class Interface>
Interface* LookUpHostComponent(HostSession& session, TInterfaceHelper& helper)
{
    if (!session.IsOpen())
        return nullptr;
    using Component = HostComponent<Interface>;
    return static_cast<Interface*>(
        LookUpHostInterface(helper, Component::kId, Component::kInterface));
}

}  // namespace lumarin
