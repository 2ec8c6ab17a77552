// The substitute host's components that serve the plug-in's lifecycle.
#pragma once

#include <vector>

#include "sim/host/host_component.h"

namespace simhost {

// "onlinemanager": offers its online root, which the plug-in only passes on.
class OnlineManager : public HostComponent, public IOnlineRootProtocol {
public:
    explicit OnlineManager(IPlugin* parent) : HostComponent("onlinemanager", parent)
    {
        Offer("IOnlineRootProtocol", static_cast<IOnlineRootProtocol*>(this));
    }
    IOnlineRootProtocol* Root() { return this; }
};

// "mainlogicpluginloader": records the plug-ins registered with it.
class MainLogicLoader : public HostComponent, public IMainLogicPluginLoader {
public:
    explicit MainLogicLoader(IPlugin* parent) : HostComponent("mainlogicpluginloader", parent)
    {
        Offer("IMainLogicPluginLoader", static_cast<IMainLogicPluginLoader*>(this));
    }
    BOOL32 RegisterPlugin(IPlugin* plugin) override
    {
        registered.push_back(plugin);
        return 1;
    }
    BOOL32 UnregisterPlugin(IPlugin* plugin) override
    {
        unregistered.push_back(plugin);
        return 1;
    }

    std::vector<IPlugin*> registered;
    std::vector<IPlugin*> unregistered;
};

}  // namespace simhost
