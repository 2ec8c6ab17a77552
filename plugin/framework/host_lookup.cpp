#include "plugin/framework/host_lookup.h"

namespace lumarin {

void* LookUpHostInterface(TInterfaceHelper& helper, const char* componentId,
                          const char* interfaceName)
{
    IPlugin* component = helper.QueryComponent(componentId, nullptr);
    void* found = nullptr;
    // A true answer is taken as it is, as the host promises a pointer with it.
    return component && component->GetInterface(interfaceName, &found) ? found : nullptr;
}

const void* InstanceOf(TInterfaceHelper& helper)
{
    if (IPlugin* plugin = dynamic_cast<IPlugin*>(&helper))
        return plugin;
    return helper.GetPlugin();
}

}  // namespace lumarin
