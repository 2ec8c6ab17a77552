// CLumarinJSAPI: browser pages ask for pets with "Lumarin_GetPetInfo" (element 0 of the
// arguments, a 64-bit id) and "Lumarin_GetPetInfoList" (element 1, a BSTR of ids separated
// by commas); results come back as one "Lumarin_GetPetInfoCallBackSuc" page call per
// record with the record as a script object literal, failures as
// "Lumarin_GetPetInfoCallBackFail" without arguments.
#pragma once

#include <memory>
#include <string>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

#include "plugin/framework/host_components.h"
#include "plugin/framework/interface_helper.h"

class CLumarinJSAPI : public TInterfaceHelper,
                      public IBrowserAPICenterCall,
                      public ILumarinEvent {
public:
    // A bridge of its own, with its own cache of host interfaces.
    CLumarinJSAPI();
    // The bridge of a plug-in instance: its lookups and calls belong to `session`, which
    // must outlive it.
    explicit CLumarinJSAPI(lumarin::HostSession& session);

    // Registers both methods with the browser centre and listens to the service, as far
    // as they can be found from `owner`; 0 only for a null owner.
    virtual BOOL32 Init(IPlugin* owner);
    // Undoes Init's registrations with the very objects Init made them with.
    virtual void Uninit();
    // `service` is going away: the bridge no longer counts as listening to it.
    void ForgetService(const ILumarin* service);

    void OnBrowserCall(std::uint32_t context, const char* method, tagDISPPARAMS* arguments,
                       void* extra, BOOL32* handled) override;
    void OnPetInfoResult(std::int32_t success, PetInfoList* list) override;

    // The record as a script object literal, in UTF-16 as the page receives it: every field
    // a single-quoted string, each value converted from the thread's code page and then
    // escaped, so the page gets back exactly the record's text. Empty for a null record or
    // when a conversion fails.
    std::u16string FormatPetInfoScript(const PetInfo* record);

private:
    // The work of OnBrowserCall, for a method named "Lumarin_..." and valid arguments.
    void Route(const char* method, tagDISPPARAMS* arguments, BOOL32* handled);
    // OnPetInfoResult's work: one page call per record, or the failure call.
    void Deliver(std::int32_t success, PetInfoList* list);
    BOOL32 HandleGetPetInfo(tagDISPPARAMS* arguments);
    BOOL32 HandleGetPetInfoList(tagDISPPARAMS* arguments);
    // Calls the page function; false when the plug-in was uninitialised meanwhile.
    bool CallPage(const char* function, tagDISPPARAMS* arguments);
    template <class Interface>
    Interface* Find()
    {
        return lumarin::FindHostInterface<Interface>(session_, *this);
    }

    std::unique_ptr<lumarin::HostSession> ownSession_;  // for a bridge of its own
    lumarin::HostSession& session_;
    IBrowserAPICenter* center_ = nullptr;  // the centre registered with; borrowed
    ILumarin* service_ = nullptr;          // the service listened to; borrowed
};
