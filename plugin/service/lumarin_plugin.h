// CLumarinPlugin: the one object the library hands to the host. It is the plug-in, the pet
// info service (ILumarin), the protocol layer's event sink and the listener list, and owns
// the pet info cache and both script bridges.
#pragma once

#include <cstdint>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

#include "plugin/bridges/flash_api.h"
#include "plugin/bridges/js_api.h"
#include "plugin/framework/event_producer.h"
#include "plugin/framework/host_session.h"
#include "plugin/framework/plugin_impl.h"
#include "plugin/log/log_help.h"
#include "plugin/service/pet_info_cache.h"

class IUnknownEvent2;
class IUnknownEvent3;

class CLumarinPlugin : public TPlugin<kLumarinClassId, CLumarinPlugin, IPlugin>,
                       public ILumarin,
                       public LogHelpImpl<CLumarinPlugin>,
                       public Protocol::IGetPetZoneShowInfo2ProtocolEvent,
                       public IEventProducerImpl<ILumarinEvent, IUnknownEvent2, IUnknownEvent3, 1> {
public:
    CLumarinPlugin();
    ~CLumarinPlugin() override;

    // --- IPlugin ---
    void Uninitialize() override;
    // Frees the object, or, when called from inside one of its own calls, marks it so that
    // it is freed when the outermost call returns.
    void Destroy() override;
    BOOL32 PreInitialize() override;
    BOOL32 Initialize(IPlugin* parent, const char* name) override;
    BOOL32 GetInterface(const char* name, void** out) override;

    // --- ILumarin ---
    void RequestPetInfo(std::uint64_t petId) override;
    void RequestPetInfoList(PetIdList* ids) override;
    std::int32_t GetCachedPetInfo(std::uint64_t petId, PetInfo* out) override;
    std::int32_t GetCachedPetInfoList(std::int32_t, PetInfoList* list) override;
    void AddListener(ILumarinEvent* listener) override;
    void RemoveListener(ILumarinEvent* listener) override;

    // What this instance shares with its bridges while a host uses it.
    lumarin::HostSession& Session() { return session_; }

    // --- the protocol layer's event sink ---
    void OnResult(void* sender, PetInfoList* list) override;
    void OnError(void* sender, std::uint32_t detail) override;

private:
    // Initialize's steps, without its trace line.
    BOOL32 Start(IPlugin* parent, const char* name);
    // Start's steps after the bridges: the protocol object and the main logic.
    BOOL32 StartService();
    // Drops every tie between this instance and the other live ones: neither calls the
    // other after this one is gone.
    void LeaveOtherInstances();

    // First member: the bridges use it from their construction to their destruction.
    lumarin::HostSession session_{*this};
    bool initialized_ = false;  // from Initialize's steps to Uninitialize
    IMainLogicPluginLoader* registeredWith_ = nullptr;  // the host's; borrowed
    IPetZoneShowInfoProtocol* protocol_ = nullptr;  // released through the object loader
    PetInfoCache petInfoCache_;
    IOnlineRootProtocol* onlineRoot_ = nullptr;     // the host's; borrowed
    CLumarinFlashAPI flashApi_{session_};
    CLumarinJSAPI jsApi_{session_};
};
