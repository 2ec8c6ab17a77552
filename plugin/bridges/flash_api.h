// CLumarinFlashAPI: Flash movies ask for pets with "Lumarin_GetPetInfo" (argument 0, a
// 64-bit id) and "Lumarin_GetPetInfoList" (argument 1, ids separated by commas); every
// result of the service comes back as one "Lumarin_GetPetInfoCallBackSuc" call per record,
// every failure as one "Lumarin_GetPetInfoCallBackFail".
#pragma once

#include <string>

#include <lumarin/lumarin.h>

#include "plugin/bridges/as_object.h"
#include "plugin/bridges/flash_call_helper.h"
#include "plugin/bridges/pet_fields.h"
#include "plugin/framework/interface_helper.h"

class CLumarinFlashAPI : public TInterfaceHelper,
                         public TFlashAPICenterCallHelper<CLumarinFlashAPI>,
                         public ILumarinEvent {
public:
    // Registers both methods with the centre and listens to the service, as far as they
    // can be found from `owner`; 0 only for a null owner.
    virtual BOOL32 Init(IPlugin* owner);
    virtual void Uninit();

    void OnPetInfoResult(std::int32_t success, PetInfoList* list) override;

    // Sets the pet object's keys for `record`; a null record sets nothing.
    void FillPetInfoObject(IASObject& object, const PetInfo* record);
    // The whole request text that sends `record` to the movies.
    std::string SuccessRequest(const PetInfo& record);

private:
    // OnPetInfoResult's work: one request per record, or the failure request.
    void Deliver(std::int32_t success, PetInfoList* list);
    void HandleGetPetInfo(std::uint32_t caller, IFlashCallRecord* call);
    void HandleGetPetInfoList(std::uint32_t caller, IFlashCallRecord* call);
    void Send(IFlashAPICenter& center, std::string request);

    // The pet class and title of `fields`, from the host: class first, then title.
    void AskHost(lumarin::PetFields& fields);

    // The pet object, emptied and filled again for each record, keeping its memory, so the
    // usual delivery allocates none. No host call is made while it is filled.
    ASOBase petObject_{"object"};
};
