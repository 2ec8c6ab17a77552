#include "plugin/bridges/flash_api.h"

#include "plugin/bridges/pet_fields.h"
#include "plugin/framework/host_call.h"
#include "plugin/framework/host_components.h"

using lumarin::FindHostInterface;
using lumarin::MakeInvokeXML;

namespace {

constexpr char kGetPetInfo[] = "Lumarin_GetPetInfo";
constexpr char kGetPetInfoList[] = "Lumarin_GetPetInfoList";
constexpr std::int32_t kResponseCapacity = 4096;

// One call into Flash: the request and the response buffer the centre may fill.
struct FlashCallData {
    std::string request;
    char response[kResponseCapacity + 1] = {};
    std::int32_t capacity = kResponseCapacity;
};

}  // namespace

BOOL32 CLumarinFlashAPI::Init(IPlugin* owner)
{
    if (!owner)
        return 0;
    SetPlugin(owner);
    if (IFlashAPICenter* center = FindHostInterface<IFlashAPICenter>(*this)) {
        center_ = center;
        callerFilter_ = 0;
        RegisterMethod(kGetPetInfo, &CLumarinFlashAPI::HandleGetPetInfo);
        RegisterMethod(kGetPetInfoList, &CLumarinFlashAPI::HandleGetPetInfoList);
    }
    if (ILumarin* service = FindHostInterface<ILumarin>(*this))
        service->AddListener(this);
    return 1;
}

void CLumarinFlashAPI::Uninit()
{
    if (FindHostInterface<IFlashAPICenter>(*this)) {
        UnregisterMethod(kGetPetInfo);
        UnregisterMethod(kGetPetInfoList);
    }
    if (ILumarin* service = FindHostInterface<ILumarin>(*this))
        service->RemoveListener(this);
}

void CLumarinFlashAPI::HandleGetPetInfo(std::uint32_t, IFlashCallRecord* call)
{
    if (ILumarin* service = FindHostInterface<ILumarin>(*this))
        service->RequestPetInfo(static_cast<std::uint64_t>(call->GetInt64Arg(0)));
}

void CLumarinFlashAPI::HandleGetPetInfoList(std::uint32_t, IFlashCallRecord* call)
{
    ILumarin* service = FindHostInterface<ILumarin>(*this);
    if (!service)
        return;
    PetIdList ids{};
    call->GetArg(0);  // intended: read and not used; the list comes as text in argument 1
    lumarin::ParsePetIdList(call->GetStringArg(1), ids);
    service->RequestPetInfoList(&ids);
}

void CLumarinFlashAPI::FillPetInfoObject(IASObject& object, const PetInfo* record)
{
    if (!record)
        return;
    const std::uint64_t petId = record->petid;
    object.SetProperty("petid", petId);
    object.SetProperty("kivnumber", static_cast<std::uint32_t>(petId));
    if (IPhasesLogic* phases = FindHostInterface<IPhasesLogic>(*this))
        object.SetProperty("petclass", phases->GetPetClass(lumarin::TypeCode(petId),
                                                           record->petLevel));
    object.SetProperty("petgender", lumarin::Gender(petId));
    char petName[sizeof record->petname + 1], kivName[sizeof record->kivname + 1];
    object.SetProperty("petname", lumarin::NameCString(record->petname, petName));
    object.SetProperty("kivname", lumarin::NameCString(record->kivname, kivName));
    object.SetProperty("petLevel", static_cast<std::int32_t>(record->petLevel));
    object.SetProperty("vipFlag", static_cast<std::int32_t>(record->vipFlag));
    object.SetProperty("avatarVersion", static_cast<std::int32_t>(record->avatarVersion));
    object.SetProperty("avatarnum", static_cast<std::int32_t>(record->avatarnum));
    char avatarData[lumarin::kAvatarDataCapacity];
    lumarin::WriteAvatarData(*record, avatarData);
    object.SetProperty("avatardata", avatarData);
    object.SetProperty("titleid", static_cast<std::int32_t>(record->titleid));
    std::string titleName, titleColor;
    if (IKivPetTitleSystem* titles = FindHostInterface<IKivPetTitleSystem>(*this)) {
        titles->GetTitleName(record->titleid, &titleName);
        titles->GetTitleColor(record->titleid, &titleColor);
    }
    object.SetProperty("titlename", titleName.c_str());
    object.SetProperty("titlecolor", titleColor.c_str());
}

std::string CLumarinFlashAPI::SuccessRequest(const PetInfo& record)
{
    if (filling_ == petObjects_.size())
        petObjects_.push_back(std::make_unique<ASOBase>("object"));
    ASOBase& object = *petObjects_[filling_];
    struct Filling {
        std::size_t& count;
        ~Filling() { --count; }
    } filling{++filling_};
    object.Clear();
    FillPetInfoObject(object, &record);
    return MakeInvokeXML("Lumarin_GetPetInfoCallBackSuc", object);
}

void CLumarinFlashAPI::Send(IFlashAPICenter& center, std::string request)
{
    FlashCallData call;
    call.request = std::move(request);
    center.CallFlash(call.request.c_str(), call.response, &call.capacity);
}

void CLumarinFlashAPI::OnPetInfoResult(std::int32_t success, PetInfoList* list)
{
    lumarin::RunHostCall([&] { Deliver(success, list); });
}

void CLumarinFlashAPI::Deliver(std::int32_t success, PetInfoList* list)
{
    IFlashAPICenter* center = FindHostInterface<IFlashAPICenter>(*this);
    if (!center)
        return;
    if (!success) {
        Send(*center, MakeInvokeXML("Lumarin_GetPetInfoCallBackFail", ""));
        return;
    }
    if (!list)
        return;
    const PetInfo* record = list->records;
    for (std::uint16_t i = 0; i < list->count; ++i, ++record)
        Send(*center, SuccessRequest(*record));
}
