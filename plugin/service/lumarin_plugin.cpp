#include "plugin/service/lumarin_plugin.h"

#include <cstring>

#include "plugin/framework/host_call.h"
#include "plugin/framework/host_components.h"

using lumarin::FindHostInterface;

namespace {
constexpr char kProtocolModule[] = "Quorlink.dll";
}  // namespace

CLumarinPlugin::CLumarinPlugin()
{
    LoadLogSwitches();
    logPrefix_ = "CLumarinPlugin::";
}

CLumarinPlugin::~CLumarinPlugin()
{
    // The module-wide "ILumarin" may be this object: a plug-in created later in the same
    // load must not reach a destroyed one through it. What this object's lookups filled goes
    // too, should the host destroy it without Uninitialize.
    lumarin::CachedInterface<ILumarin>& service = lumarin::CachedHostInterface<ILumarin>();
    if (service.pointer == static_cast<ILumarin*>(this))
        service = {};
    lumarin::DropHostInterfaces(static_cast<IPlugin*>(this));
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
    lumarin::RunHostCall([&] { result = Start(parent, name); });
    Trace("Initialize() pluginname=%s result=%d", name ? name : "(null)", result);
    return result;
}

BOOL32 CLumarinPlugin::Start(IPlugin* parent, const char* name)
{
    if (!name)
        return 0;
    if (parent)
        SetPlugin(parent);
    pluginName_ = name;
    petInfoCache_.Clear();
    flashApi_.Init(this);
    jsApi_.Init(this);

    // Looked up at every start, never cached.
    if (auto* onlineRoot = lumarin::LookUpHostComponent<IOnlineRootProtocol>(*this))
        onlineRoot_ = onlineRoot;

    bool loaded = false;
    if (objectLoader_) {
        IObject* object = objectLoader_->LoadObject(this, kProtocolModule,
                                                    kPetZoneShowInfoProtocolClassId);
        if (object) {
            // A protocol object from an earlier Initialize goes back to the host first.
            if (protocol_ && protocol_ != object)
                objectLoader_->ReleaseObject(protocol_, 1);
            protocol_ = static_cast<IPetZoneShowInfoProtocol*>(object);
            loaded = true;
        }
    }
    if (protocol_)
        protocol_->Bind(onlineRoot_, this, 1);
    IMainLogicPluginLoader* loader =
        loaded ? FindHostInterface<IMainLogicPluginLoader>(*this) : nullptr;
    if (!loader)
        return 0;
    loader->RegisterPlugin(this);
    return 1;
}

void CLumarinPlugin::Uninitialize()
{
    if (IMainLogicPluginLoader* loader = FindHostInterface<IMainLogicPluginLoader>(*this))
        loader->UnregisterPlugin(this);
    container_ = nullptr;
    flashApi_.Uninit();
    jsApi_.Uninit();
    IPetZoneShowInfoProtocol* protocol = protocol_;
    protocol_ = nullptr;
    if (protocol && objectLoader_)
        objectLoader_->ReleaseObject(protocol, 1);
    // The host's components may go once this returns: what this instance's lookups (its
    // own and its bridges') cached is forgotten, after the bridges' Uninit used it.
    lumarin::DropHostInterfaces(static_cast<IPlugin*>(this));
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
    PetIdList ids;  // only the count and the first id are set
    ids.count = 1;
    ids.ids[0] = petId;
    protocol_->Request(&ids);
}

void CLumarinPlugin::RequestPetInfoList(PetIdList* ids)
{
    // A count beyond the block's 100 ids would make the protocol layer read past it.
    if (!ids || ids->count == 0 || ids->count > kMaxPetIds || !protocol_)
        return;
    protocol_->Request(ids);
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
    lumarin::RunHostCall([&] {
        petInfoCache_.Store(*list);
        FireEvent(1, list);
    });
}

void CLumarinPlugin::OnError(void* sender, std::uint32_t detail)
{
    if (!sender || detail == 0)
        return;
    lumarin::RunHostCall([&] { FireEvent(0, static_cast<PetInfoList*>(nullptr)); });
}
