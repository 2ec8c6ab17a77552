// The host side of the plug-in: every component it looks up, each printing what the
// plug-in asks of it, and a protocol object that answers later, as the client's does.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <lumarin/automation.h>
#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

// A plug-in of the host's tree: a name, a parent, and the components of its container.
class HostPlugin : public IPlugin, public IComponentContainer {
public:
    HostPlugin(const char* name, IPlugin* parent) : name_(name), parent_(parent) {}
    // Makes `component` findable as `id` from this plug-in and every plug-in below it.
    void Add(const std::string& id, IPlugin* component) { components_[id] = component; }
    // What GetInterface answers for `name`.
    void Offer(const std::string& name, void* pointer) { interfaces_[name] = pointer; }

    ClassId GetClassId() override { return 0; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}
    BOOL32 PreInitialize() override { return 1; }
    BOOL32 Initialize(IPlugin*, const char*) override { return 1; }
    const char* GetPluginName() override { return name_; }
    IPlugin* GetParent() override { return parent_; }
    BOOL32 GetComponentContainer(IComponentContainer** out) override;
    BOOL32 SetComponentContainer(IComponentContainer*) override { return 0; }
    BOOL32 GetInterface(const char* name, void** out) override;
    BOOL32 FindComponent(IPlugin** out, const char* id) override;

private:
    const char* name_;
    IPlugin* parent_;
    std::map<std::string, IPlugin*> components_;
    std::map<std::string, void*> interfaces_;
};

// The protocol object from "Quorlink.dll": knows one pet, and answers each request after
// it returns (Deliver), with the known pets or, when none is known, a failure.
class PetProtocol : public IPetZoneShowInfoProtocol {
public:
    ClassId GetClassId() override { return 0x100053A; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}
    BOOL32 Bind(IOnlineRootProtocol*, Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink,
                std::int32_t) override;
    BOOL32 Unbind() override { return 1; }
    BOOL32 Request(PetIdList* ids) override;
    void Deliver();
    void Release() { sink_ = nullptr; }

private:
    Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink_ = nullptr;
    std::vector<std::vector<std::uint64_t>> pending_;
};

// Every other component, in one object: the centres print the callbacks they get.
class Components : public IFlashAPICenter,
                   public IBrowserAPICenter,
                   public IPhasesLogic,
                   public IKivPetTitleSystem,
                   public IMainLogicPluginLoader,
                   public IObjectLoader,
                   public IOnlineRootProtocol {
public:
    BOOL32 CallFlash(const char* request, char* response, std::int32_t* capacity) override;
    BOOL32 RegisterFlashMethod(const char* method, IFlashAPICenterExternalInterface* h) override;
    BOOL32 UnregisterFlashMethod(const char* method, IFlashAPICenterExternalInterface*) override;
    BOOL32 CallPage(const char* function, tagDISPPARAMS* arguments, tagVARIANT* result,
                    std::uint32_t* argumentError) override;
    BOOL32 RegisterPageMethod(const char* method, IBrowserAPICenterCall* handler) override;
    BOOL32 UnregisterPageMethod(const char* method, IBrowserAPICenterCall*) override;
    std::int32_t GetPetClass(std::uint16_t typeCode, std::uint16_t level) override;
    BOOL32 GetTitleName(std::uint16_t titleId, std::string* name) override;
    BOOL32 GetTitleColor(std::uint16_t titleId, std::string* color) override;
    BOOL32 RegisterPlugin(IPlugin* plugin) override;
    BOOL32 UnregisterPlugin(IPlugin* plugin) override;
    IObject* LoadObject(IObject* owner, const char* module, ClassId classId) override;
    BOOL32 ReleaseObject(IObject* object, std::int32_t flag) override;

    std::map<std::string, IFlashAPICenterExternalInterface*> movieMethods;
    std::map<std::string, IBrowserAPICenterCall*> pageMethods;
    PetProtocol protocol;
    int callbacks = 0;  // movie and page callbacks printed
};
