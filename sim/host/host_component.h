// Host components: plug-ins of the substitute host, found by id through component
// containers and asked for their interfaces by name.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include <lumarin/host_interfaces.h>

namespace simhost {

// Component ids to components; the components are borrowed.
class ComponentContainer : public IComponentContainer {
public:
    void Add(const std::string& componentId, IPlugin* component)
    {
        components_[componentId] = component;
    }
    void Remove(const std::string& componentId) { components_.erase(componentId); }

    BOOL32 FindComponent(IPlugin** component, const char* componentId) override
    {
        auto found = componentId ? components_.find(componentId) : components_.end();
        if (found == components_.end())
            return 0;
        *component = found->second;
        return 1;
    }

private:
    std::map<std::string, IPlugin*, std::less<>> components_;  // found without copies
};

// A plug-in of the host's tree: a name, a parent, an optional container, and the
// interfaces it answers by name. Owned by the host; Destroy does nothing.
class HostComponent : public IPlugin {
public:
    explicit HostComponent(std::string name, IPlugin* parent = nullptr)
        : name_(std::move(name)), parent_(parent)
    {
    }
    virtual ~HostComponent() = default;

    void Offer(const std::string& interfaceName, void* pointer)
    {
        interfaces_[interfaceName] = pointer;
    }

    ClassId GetClassId() override { return 0; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}
    BOOL32 PreInitialize() override { return 1; }
    BOOL32 Initialize(IPlugin* parent, const char*) override
    {
        parent_ = parent;
        return 1;
    }
    const char* GetPluginName() override { return name_.c_str(); }
    IPlugin* GetParent() override { return parent_; }
    BOOL32 GetComponentContainer(IComponentContainer** container) override
    {
        *container = container_;
        return container_ != nullptr;
    }
    BOOL32 SetComponentContainer(IComponentContainer* container) override
    {
        container_ = container;
        return container_ != nullptr;
    }
    BOOL32 GetInterface(const char* name, void** out) override
    {
        auto found = name ? interfaces_.find(name) : interfaces_.end();
        if (found == interfaces_.end() || !out)
            return 0;
        *out = found->second;
        return 1;
    }

private:
    std::string name_;
    IPlugin* parent_;
    IComponentContainer* container_ = nullptr;
    std::map<std::string, void*, std::less<>> interfaces_;
};

}  // namespace simhost
