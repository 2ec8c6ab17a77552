// CLumarinFlashAPI: Flash movies ask for pets with "Lumarin_GetPetInfo" (argument 0, a
// 64-bit id) and "Lumarin_GetPetInfoList" (argument 1, ids separated by commas); every
// result of the service comes back as one "Lumarin_GetPetInfoCallBackSuc" call per record,
// every failure as one "Lumarin_GetPetInfoCallBackFail".
#pragma once

#include <memory>
#include <string>

#include <lumarin/lumarin.h>

#include "plugin/bridges/as_object.h"
#include "plugin/bridges/flash_call_helper.h"
#include "plugin/bridges/pet_fields.h"
#include "plugin/framework/host_components.h"
#include "plugin/framework/interface_helper.h"

class CLumarinFlashAPI : public TInterfaceHelper,
                         public TFlashAPICenterCallHelper<CLumarinFlashAPI>,
                         public ILumarinEvent {
public:
    // A bridge of its own, with its own cache of host interfaces.
    CLumarinFlashAPI();
    // The bridge of a plug-in instance: its lookups and calls belong to `session`, which
    // must outlive it.
    explicit CLumarinFlashAPI(lumarin::HostSession& session);

    // Registers both methods with the centre and listens to the service, as far as they
    // can be found from `owner`; 0 only for a null owner.
    virtual BOOL32 Init(IPlugin* owner);
    // Undoes Init's registrations with the very objects Init made them with.
    virtual void Uninit();
    // `service` is going away: the bridge no longer counts as listening to it.
    void ForgetService(const ILumarin* service);
    lumarin::HostSession& Session() { return session_; }

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
    // Hands `request` to the centre; false when the plug-in was uninitialised meanwhile.
    bool Send(std::string request);
    template <class Interface>
    Interface* Find()
    {
        return lumarin::FindHostInterface<Interface>(session_, *this);
    }

    std::unique_ptr<lumarin::HostSession> ownSession_;  // for a bridge of its own
    lumarin::HostSession& session_;
    ILumarin* service_ = nullptr;  // the service listened to; borrowed

    // The pet object, emptied and filled again for each record, keeping its memory, so the
    // usual delivery allocates none. No host call is made while it is filled.
    ASOBase petObject_{"object"};
};
