#include "substitute_host.h"

namespace simhost {

SubstituteHost::SubstituteHost(HostOptions options) : options_(options)
{
    root.SetComponentContainer(&container_);
    if (options_.onlineManager)
        container_.Add("onlinemanager", &onlineManager);
    if (options_.mainLogicLoader)
        container_.Add("mainlogicpluginloader", &mainLogicLoader);
    if (options_.flashEngine)
        container_.Add("flashengine", &flashEngine);
    if (options_.browserEngine)
        container_.Add("browserengine", &browserEngine);
    if (options_.phasesLogic)
        container_.Add("phaseslogic", &phasesLogic);
    if (options_.titleSystem)
        container_.Add("kivpettitlesystem", &titleSystem);
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
