// The host components the plug-in uses, each defined once: the component id it is found
// by and the interface asked of it. Lookups are typed by the interface, so neither text
// is ever spelled at a call.
#pragma once

#include <memory>
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
Interface* LookUpIntoCache(HostSession& session, TInterfaceHelper& helper);

template <class Interface>
inline Interface* FindHostInterface(HostSession& session, TInterfaceHelper& helper)
{
    if (!session.IsOpen())
        return nullptr;
    if (Interface* cached = std::get<CachedInterface<Interface>>(session.Cache()).pointer)
        return cached;
    return LookUpIntoCache<Interface>(session, helper);
}

// FindHostInterface's lookup, when the cache has no entry yet. The lookup calls the host,
// which may uninitialise the plug-in meanwhile: the cache is held for it, and what it
// finds then is neither kept nor used.
template <class Interface>
Interface* LookUpIntoCache(HostSession& session, TInterfaceHelper& helper)
{
    std::shared_ptr<HostInterfaceCache> cache = session.SharedCache();
    using Component = HostComponent<Interface>;
    CachedInterface<Interface> found;
    if (!GetHostInterface(helper, Component::kId, Component::kInterface, found) ||
        !session.IsOpen() || session.SharedCache() != cache)
        return nullptr;
    auto& slot = std::get<CachedInterface<Interface>>(*cache);
    if (!slot.pointer)
        slot = found;
    return slot.pointer;
}

// The same, asked of the host each time, never cached.
template <class Interface>
Interface* LookUpHostComponent(HostSession& session, TInterfaceHelper& helper)
{
    if (!session.IsOpen())
        return nullptr;
    using Component = HostComponent<Interface>;
    void* found = LookUpHostInterface(helper, Component::kId, Component::kInterface);
    return session.IsOpen() ? static_cast<Interface*>(found) : nullptr;
}

}  // namespace lumarin
