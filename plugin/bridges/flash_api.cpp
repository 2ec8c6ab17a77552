#include "plugin/bridges/flash_api.h"

#include <optional>
#include <string_view>

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

// Each field as a property of its own type; without the phase logic there is no
// "petclass" at all, and a text ends at its first NUL.
template <class Number>
void SetPetProperty(IASObject& object, const char* name, Number value)
{
    object.SetProperty(name, value);
}
void SetPetProperty(IASObject& object, const char* name, std::optional<std::int32_t> petClass)
{
    if (petClass)
        object.SetProperty(name, *petClass);
}
void SetPetProperty(IASObject& object, const char* name, std::string_view text)
{
    object.SetProperty(name, text.data());
}

void SetPetProperties(IASObject& object, const lumarin::PetFields& fields)
{
    lumarin::VisitPetFields(fields, [&object](const char* name, const auto& value) {
        SetPetProperty(object, name, value);
        return true;
    });
}

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
    lumarin::PetFields fields(*record);
    AskHost(fields);
    SetPetProperties(object, fields);
}

void CLumarinFlashAPI::AskHost(lumarin::PetFields& fields)
{
    if (IPhasesLogic* phases = FindHostInterface<IPhasesLogic>(*this))
        fields.AskPetClass(*phases);
    if (IKivPetTitleSystem* titles = FindHostInterface<IKivPetTitleSystem>(*this))
        fields.AskTitle(*titles);
}

std::string CLumarinFlashAPI::SuccessRequest(const PetInfo& record)
{
    // Every host call is made before the pet object is touched: one that delivers another
    // result meanwhile fills and sends its own before this one is filled.
    lumarin::PetFields fields(record);
    AskHost(fields);
    petObject_.Clear();
    SetPetProperties(petObject_, fields);
    return MakeInvokeXML("Lumarin_GetPetInfoCallBackSuc", petObject_);
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
