// The host-facing object interfaces: every object the host creates or finds is an IObject,
// every plug-in and host component an IPlugin. Booleans are 32-bit, non-zero for true.
#pragma once

#include <cstdint>

using ClassId = std::uint32_t;
using BOOL32 = std::int32_t;

class IObjectLoader;
class IComponentContainer;

class IObject {
public:
    virtual ClassId GetClassId() = 0;
    // The host's object loader; borrowed, never freed.
    virtual void SetObjectLoader(IObjectLoader* loader) = 0;
    virtual void Uninitialize() = 0;
    // Destroys and frees the object; the pointer is invalid afterwards.
    virtual void Destroy() = 0;

protected:
    ~IObject() = default;
};

class IPlugin : public IObject {
public:
    virtual BOOL32 PreInitialize() = 0;
    // `parent` is where component lookups start; borrowed. `name` is copied.
    virtual BOOL32 Initialize(IPlugin* parent, const char* name) = 0;
    // The name's text, owned by the plug-in; valid until the next Initialize or Destroy.
    virtual const char* GetPluginName() = 0;
    virtual IPlugin* GetParent() = 0;
    virtual BOOL32 GetComponentContainer(IComponentContainer** container) = 0;
    virtual BOOL32 SetComponentContainer(IComponentContainer* container) = 0;
    // Writes an interface pointer, owned by the plug-in, and answers true; false writes nothing.
    virtual BOOL32 GetInterface(const char* name, void** out) = 0;

protected:
    ~IPlugin() = default;
};
