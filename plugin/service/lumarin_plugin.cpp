#include "plugin/service/lumarin_plugin.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "plugin/framework/host_call.h"
#include "plugin/framework/host_components.h"

using lumarin::FindHostInterface;

namespace {
constexpr char kProtocolModule[] = "Quorlink.dll";

// Every instance of the library alive now, so that one going away can untie the others.
// Made with the first and freed with the last, so that neither unloading the library nor
// a host's static destructors meet it destroyed or leaked.
std::vector<CLumarinPlugin*>* liveInstances = nullptr;
}  // namespace

CLumarinPlugin::CLumarinPlugin()
{
    LoadLogSwitches();
    logPrefix_ = "CLumarinPlugin::";
    if (!liveInstances)
        liveInstances = new std::vector<CLumarinPlugin*>;
    liveInstances->push_back(this);
}

CLumarinPlugin::~CLumarinPlugin()
{
    LeaveOtherInstances();
    // What this object's lookups cached goes, should the host destroy it without
    // Uninitialize, and so does every cached "ILumarin" that is this object.
    session_.Close(static_cast<IPlugin*>(this));
    lumarin::ForgetServiceEverywhere(this);
}

void CLumarinPlugin::LeaveOtherInstances()
{
    std::vector<CLumarinPlugin*>& live = *liveInstances;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (live.empty()) {
        delete liveInstances;
        liveInstances = nullptr;
        return;
    }
    for (CLumarinPlugin* other : live) {
        other->RemoveEventListener(static_cast<ILumarinEvent*>(&flashApi_));
        other->RemoveEventListener(static_cast<ILumarinEvent*>(&jsApi_));
        other->flashApi_.ForgetService(this);
        other->jsApi_.ForgetService(this);
    }
}

void CLumarinPlugin::Destroy()
{
    if (session_.DestroyNowOrLater())
        delete this;
}

BOOL32 CLumarinPlugin::PreInitialize()
{
    Trace("PreInitialize() result=%d", 1);
    return 1;
}

BOOL32 CLumarinPlugin::Initialize(IPlugin* parent, const char* name)
{
    // Out of memory registering the bridges or copying the name fails the start.
    BOOL32 result = 0;
    session_.Call([&] { result = Start(parent, name); });
    Trace("Initialize() pluginname=%s result=%d", name ? name : "(null)", result);
    return result;
}

BOOL32 CLumarinPlugin::Start(IPlugin* parent, const char* name)
{
    // Started already (even when that start failed, its registrations stand): a second
    // start would register twice and load a second protocol object.
    if (!name || initialized_)
        return 0;
    // Lookups walk up from the parent: a chain that loops could never end.
    IPlugin* top = lumarin::TopOfParentChain(parent ? parent : GetPlugin());
    if (!top && (parent || GetPlugin()))
        return 0;
    if (parent)
        SetPlugin(parent);
    pluginName_ = name;
    petInfoCache_.Clear();
    initialized_ = true;
    session_.Open(top);
    // A host call may uninitialise the plug-in; every step after one checks.
    flashApi_.Init(this);
    if (session_.IsOpen())
        jsApi_.Init(this);
    return session_.IsOpen() ? StartService() : 0;
}

BOOL32 CLumarinPlugin::StartService()
{
    // Looked up at every start, never cached.
    if (auto* onlineRoot = lumarin::LookUpHostComponent<IOnlineRootProtocol>(session_, *this))
        onlineRoot_ = onlineRoot;

    bool loaded = false;
    if (objectLoader_ && session_.IsOpen()) {
        IObject* object = objectLoader_->LoadObject(this, kProtocolModule,
                                                    kPetZoneShowInfoProtocolClassId);
        // Uninitialised meanwhile: the host may not be called to take it back.
        if (object && session_.IsOpen()) {
            protocol_ = static_cast<IPetZoneShowInfoProtocol*>(object);
            loaded = true;
        }
    }
    if (protocol_)
        protocol_->Bind(onlineRoot_, this, 1);
    IMainLogicPluginLoader* loader =
        loaded ? FindHostInterface<IMainLogicPluginLoader>(session_, *this) : nullptr;
    if (!loader)
        return 0;
    registeredWith_ = loader;
    loader->RegisterPlugin(this);
    return 1;
}

void CLumarinPlugin::Uninitialize()
{
    session_.Call([&] {
        // Undone with the loader it was registered with; never registered, with the one a
        // lookup finds.
        IMainLogicPluginLoader* loader = registeredWith_;
        registeredWith_ = nullptr;
        if (!loader)
            loader = FindHostInterface<IMainLogicPluginLoader>(session_, *this);
        if (loader)
            loader->UnregisterPlugin(this);
        container_ = nullptr;
        flashApi_.Uninit();
        jsApi_.Uninit();
        IPetZoneShowInfoProtocol* protocol = protocol_;
        protocol_ = nullptr;
        if (protocol && objectLoader_ && session_.IsOpen())
            objectLoader_->ReleaseObject(protocol, 1);
        // The host's components may go once this returns: no further call reaches them,
        // and what this instance's lookups (its own and its bridges') cached is forgotten,
        // after the bridges' Uninit used it.
        initialized_ = false;
        session_.Close(static_cast<IPlugin*>(this));
    });
}

BOOL32 CLumarinPlugin::GetInterface(const char* name, void** out)
{
    if (!name || !out || std::strcmp(name, "ILumarin") != 0)
        return 0;
    *out = static_cast<ILumarin*>(this);
    return 1;
}

void CLumarinPlugin::RequestPetInfo(std::uint64_t petId)
{
    if (petId == 0 || !protocol_)
        return;
    session_.Call([&] {
        PetIdList ids;  // only the count and the first id are set
        ids.count = 1;
        ids.ids[0] = petId;
        protocol_->Request(&ids);
    });
}

void CLumarinPlugin::RequestPetInfoList(PetIdList* ids)
{
    // A count beyond the block's 100 ids would make the protocol layer read past it.
    if (!ids || ids->count == 0 || ids->count > kMaxPetIds || !protocol_)
        return;
    session_.Call([&] { protocol_->Request(ids); });
}

std::int32_t CLumarinPlugin::GetCachedPetInfo(std::uint64_t petId, PetInfo* out)
{
    return petInfoCache_.GetCachedPetInfo(petId, out);
}

std::int32_t CLumarinPlugin::GetCachedPetInfoList(std::int32_t, PetInfoList* list)
{
    return petInfoCache_.GetCachedPetInfoList(list);
}

void CLumarinPlugin::AddListener(ILumarinEvent* listener)
{
    if (!listener)
        return;
    lumarin::RunHostCall([&] { AddEventListener(listener); });  // out of memory: not added
}

void CLumarinPlugin::RemoveListener(ILumarinEvent* listener)
{
    RemoveEventListener(listener);
}

void CLumarinPlugin::OnResult(void* sender, PetInfoList* list)
{
    if (!sender || sender != static_cast<void*>(protocol_) || !list)
        return;
    // Out of memory, the records stored so far stay.
    session_.Call([&] {
        petInfoCache_.Store(*list);
        FireEvent(1, list, [this] { return session_.IsOpen(); });
    });
}

void CLumarinPlugin::OnError(void* sender, std::uint32_t detail)
{
    if (!sender || detail == 0 || !session_.IsOpen())
        return;
    session_.Call([&] {
        FireEvent(0, static_cast<PetInfoList*>(nullptr), [this] { return session_.IsOpen(); });
    });
}
