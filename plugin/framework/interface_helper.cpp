#include "plugin/framework/interface_helper.h"

#include <cstring>

#include <lumarin/host_interfaces.h>

TInterfaceHelper::~TInterfaceHelper()
{
    plugin_ = nullptr;
}

BOOL32 TInterfaceHelper::Attach(IPlugin* plugin)
{
    if (!plugin)
        return 0;
    SetPlugin(plugin);
    return 1;
}

void TInterfaceHelper::Detach()
{
    SetPlugin(nullptr);
}

void TInterfaceHelper::SetPlugin(IPlugin* plugin)
{
    plugin_ = plugin;
}

IPlugin* TInterfaceHelper::GetPlugin()
{
    return plugin_;
}

IPlugin* TInterfaceHelper::QueryComponent(const char* componentId, IPlugin* start)
{
    if (!componentId)
        return nullptr;
    IPlugin* plugin = start ? start : plugin_;
    // Without a start, the only candidate is this object itself, when it is a plug-in.
    IPlugin* last = plugin ? nullptr : dynamic_cast<IPlugin*>(this);
    int steps = 0;
    for (; plugin; plugin = plugin->GetParent()) {
        if (++steps > lumarin::kMaxParentChain)
            return nullptr;
        IComponentContainer* container = nullptr;
        IPlugin* component = nullptr;
        if (plugin->GetComponentContainer(&container) && container &&
            container->FindComponent(&component, componentId))
            return component;
        last = plugin;
    }
    if (last) {
        const char* name = last->GetPluginName();
        if (name && std::strcmp(name, componentId) == 0)
            return last;
    }
    return nullptr;
}

IPlugin* TInterfaceHelper::GetComponent(const char* componentId, IPlugin* start)
{
    return QueryComponent(componentId, start);
}
