// TPlugin: the IPlugin operations every plug-in shares. PreInitialize and Initialize are
// left to the plug-in class.
#pragma once

#include <string>

#include "plugin/framework/interface_helper.h"
#include "plugin/framework/object_impl.h"

template <ClassId kClassId, class T, class Interface>
class TPlugin : public IObjectImpl<kClassId, T, Interface>, public TInterfaceHelper {
public:
    const char* GetPluginName() override { return pluginName_.c_str(); }
    IPlugin* GetParent() override { return GetPlugin(); }
    BOOL32 GetComponentContainer(IComponentContainer** container) override
    {
        if (container)
            *container = container_;
        return container_ != nullptr;
    }
    BOOL32 SetComponentContainer(IComponentContainer* container) override
    {
        container_ = container;
        return container_ != nullptr;
    }
    BOOL32 GetInterface(const char*, void**) override { return 0; }
    void Detach() override
    {
        TInterfaceHelper::Detach();
        pluginName_.clear();
        container_ = nullptr;
    }

protected:
    IComponentContainer* container_ = nullptr;  // the host's; borrowed
    std::string pluginName_;
};
