#include "plugin/bridges/flash_api.h"

#include <optional>
#include <string_view>
#include <utility>

#include "plugin/bridges/pet_fields.h"
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

// Set in the list's order; the object writes them sorted by name (byte order of the ids).
void SetPetProperties(IASObject& object, const lumarin::PetFields& fields)
{
    lumarin::VisitPetFields(fields, [&object](const char* name, const auto& value) {
        SetPetProperty(object, name, value);
        return true;
    });
}

}  // namespace

CLumarinFlashAPI::CLumarinFlashAPI()
    : ownSession_(std::make_unique<lumarin::HostSession>()), session_(*ownSession_)
{
}

CLumarinFlashAPI::CLumarinFlashAPI(lumarin::HostSession& session) : session_(session) {}

BOOL32 CLumarinFlashAPI::Init(IPlugin* owner)
{
    if (!owner)
        return 0;
    SetPlugin(owner);
    if (IFlashAPICenter* center = Find<IFlashAPICenter>()) {
        center_ = center;
        callerFilter_ = 0;
        RegisterMethod(kGetPetInfo, &CLumarinFlashAPI::HandleGetPetInfo);
        if (session_.IsOpen())
            RegisterMethod(kGetPetInfoList, &CLumarinFlashAPI::HandleGetPetInfoList);
    }
    if (ILumarin* service = Find<ILumarin>()) {
        service_ = service;
        service->AddListener(this);
    }
    return 1;
}

void CLumarinFlashAPI::Uninit()
{
    UnregisterMethods();
    if (ILumarin* service = std::exchange(service_, nullptr))
        service->RemoveListener(this);
}

void CLumarinFlashAPI::ForgetService(const ILumarin* service)
{
    if (service_ == service)
        service_ = nullptr;
}

void CLumarinFlashAPI::HandleGetPetInfo(std::uint32_t, IFlashCallRecord* call)
{
    if (ILumarin* service = Find<ILumarin>())
        service->RequestPetInfo(static_cast<std::uint64_t>(call->GetInt64Arg(0)));
}

void CLumarinFlashAPI::HandleGetPetInfoList(std::uint32_t, IFlashCallRecord* call)
{
    ILumarin* service = Find<ILumarin>();
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
    lumarin::AskHostFields(fields, session_, *this, lumarin::HostFieldOrder::PetClassFirst);
    SetPetProperties(object, fields);
}

std::string CLumarinFlashAPI::SuccessRequest(const PetInfo& record)
{
    // Every host call is made before the pet object is touched: one that delivers another
    // result meanwhile fills and sends its own before this one is filled.
    lumarin::PetFields fields(record);
    lumarin::AskHostFields(fields, session_, *this, lumarin::HostFieldOrder::PetClassFirst);
    petObject_.Clear();
    SetPetProperties(petObject_, fields);
    return MakeInvokeXML("Lumarin_GetPetInfoCallBackSuc", petObject_);
}

bool CLumarinFlashAPI::Send(std::string request)
{
    IFlashAPICenter* center = Find<IFlashAPICenter>();
    if (!center)
        return false;
    FlashCallData call;
    call.request = std::move(request);
    center->CallFlash(call.request.c_str(), call.response, &call.capacity);
    return true;
}

void CLumarinFlashAPI::OnPetInfoResult(std::int32_t success, PetInfoList* list)
{
    session_.Call([&] { Deliver(success, list); });
}

void CLumarinFlashAPI::Deliver(std::int32_t success, PetInfoList* list)
{
    if (!Find<IFlashAPICenter>())
        return;
    if (!success) {
        Send(MakeInvokeXML("Lumarin_GetPetInfoCallBackFail", ""));
        return;
    }
    if (!list)
        return;
    const PetInfo* record = list->records;
    for (std::uint16_t i = 0; i < list->count; ++i, ++record) {
        if (!Send(SuccessRequest(*record)))
            return;  // uninitialised meanwhile
    }
}
