// The host-facing object interfaces: every object the host creates or finds is an IObject,
// every plug-in and host component an IPlugin. Booleans are 32-bit, non-zero for true.
// The library's one export, CreateObject, is declared at the end; how to host the plug-in
// is at the top of host_interfaces.h.
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
    // `parent` is where component lookups start; borrowed. `name` is copied. The service
    // plug-in answers 1 when it loaded its protocol object and registered with the main
    // logic loader. It answers 0, with no other report, for a null name, a parent chain that
    // loops, an instance started already (nothing changes then), no object loader or no
    // protocol object from it, or no "mainlogicpluginloader". A 0 undoes nothing: what it
    // registered stays, and Uninitialize is still required before Destroy.
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

// The library's only export, under this undecorated name, with the C calling convention
// (__cdecl on 32-bit Windows); find it with GetProcAddress or dlsym and call it through
// CreateObjectFunction. Answers a new, independent service plug-in for kLumarinClassId
// (<lumarin/lumarin.h>), or null for any other class id or when it cannot be built.
// Called on the client's main thread; the host frees the object with Destroy, after
// Uninitialize.
#ifndef LUMARIN_EXPORT
#define LUMARIN_EXPORT
#endif
extern "C" LUMARIN_EXPORT IPlugin* CreateObject(std::uint32_t classId);
using CreateObjectFunction = IPlugin* (*)(std::uint32_t classId);
