#include "sim/host/substitute_host.h"

#include <utility>

namespace simhost {

SubstituteHost::SubstituteHost(HostOptions options) : options_(options)
{
    root.SetComponentContainer(&container_);
    flashEngine.record = browserEngine.record = objectLoader.record = options_.record;
    const std::pair<bool, HostComponent*> components[] = {
        {options_.onlineManager, &onlineManager}, {options_.mainLogicLoader, &mainLogicLoader},
        {options_.flashEngine, &flashEngine},     {options_.browserEngine, &browserEngine},
        {options_.phasesLogic, &phasesLogic},     {options_.titleSystem, &titleSystem},
    };
    for (const auto& [present, component] : components) {
        if (present)  // each component is registered under its own name
            container_.Add(component->GetPluginName(), component);
    }
}

SubstituteHost::~SubstituteHost()
{
    if (plugin_)
        plugin_->Destroy();
}

bool SubstituteHost::LoadPlugin(const std::string& path, std::string& error)
{
    if (!library.Load(path, error))
        return false;
    plugin_ = library.CreateObject(kLumarinClassId);
    if (!plugin_) {
        error = path + ": CreateObject gave no object";
        return false;
    }
    AttachPlugin(plugin_);
    return true;
}

void SubstituteHost::AttachPlugin(IPlugin* plugin)
{
    plugin_ = plugin;
    container_.Add("lumarin", plugin_);
}

BOOL32 SubstituteHost::StartPlugin()
{
    if (options_.objectLoader)
        plugin_->SetObjectLoader(&objectLoader);
    plugin_->PreInitialize();
    return plugin_->Initialize(&root, "lumarin");
}

void SubstituteHost::StopPlugin()
{
    plugin_->Uninitialize();
    plugin_->Destroy();
    plugin_ = nullptr;
    container_.Remove("lumarin");
}

void SubstituteHost::DeliverPending()
{
    if (PetProtocol* protocol = objectLoader.Current())
        protocol->DeliverPending();
}

}  // namespace simhost
