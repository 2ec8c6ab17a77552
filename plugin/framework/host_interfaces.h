// What the plug-in calls on the host and its components. Only the operations the plug-in
// uses are declared, in table order.
//
// The contract between the host and the plug-in, for these interfaces, object.h and
// lumarin.h (ILumarin):
// - threads: every call either way is made on the client's one main thread; none may come
//   from another thread, and none is guarded against it.
// - borrowed pointers: whatever the host hands out (components, their interfaces, the object
//   loader, the protocol object) is borrowed, never freed by the plug-in, and must live
//   until the plug-in's Uninitialize has returned; the plug-in drops every one of them there.
// - call arguments: a call record, DISPPARAMS, an id or result block and every text handed
//   into a call are valid during that call only; the receiver copies what it keeps.
// - handlers: a movie or page handler (RegisterFlashMethod, RegisterPageMethod), a plug-in
//   given to RegisterPlugin and an ILumarinEvent listener (AddListener) must live until
//   unregistered or removed; the plug-in unregisters its own in Uninitialize.
// - a Bind sink must live until the protocol object is released with ReleaseObject, and the
//   protocol object never calls it afterwards (the plug-in never calls Unbind).
// - texts are NUL-terminated narrow text in the ANSI code page.
// - the module boundary: no interface has a virtual destructor or an overload, so the
//   tables match those of any Windows C++ compiler, except the title system's std::string
//   (the client compiler's own class).
// These are the client's own names, so they stay in the global namespace; the plug-in's own
// helpers are in namespace lumarin.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/framework/object.h"

struct PetIdList;
struct PetInfoList;
struct tagDISPPARAMS;
struct tagVARIANT;

// Hands out objects from host modules; `ReleaseObject` takes them back.
class IObjectLoader {
public:
    virtual IObject* LoadObject(IObject* owner, const char* moduleName, ClassId classId) = 0;
    virtual BOOL32 ReleaseObject(IObject* object, std::int32_t flag) = 0;

protected:
    ~IObjectLoader() = default;
};

class IComponentContainer {
public:
    // Writes the component registered under `componentId` and answers true, else false.
    virtual BOOL32 FindComponent(IPlugin** component, const char* componentId) = 0;

protected:
    ~IComponentContainer() = default;
};

// --- "flashengine" ---

// One call from a movie, owned by the centre and valid during the call.
class IFlashCallRecord {
public:
    virtual const char* GetName() = 0;
    virtual const void* GetArg(int index) = 0;
    virtual std::int64_t GetInt64Arg(int index) = 0;
    virtual const char* GetStringArg(int index) = 0;

protected:
    ~IFlashCallRecord() = default;
};

class IFlashAPICenterExternalInterface {
public:
    virtual void OnCall(std::uint32_t caller, IFlashCallRecord* call, BOOL32* handled) = 0;
    virtual void OnNotify(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) = 0;
    virtual BOOL32 Dispatch(std::uint32_t caller, IFlashCallRecord* call, BOOL32* handled) = 0;

protected:
    ~IFlashAPICenterExternalInterface() = default;
};

class IFlashAPICenter {
public:
    // `response` holds `*capacity` bytes plus a terminator.
    virtual BOOL32 CallFlash(const char* request, char* response, std::int32_t* capacity) = 0;
    virtual BOOL32 RegisterFlashMethod(const char* method,
                                       IFlashAPICenterExternalInterface* handler) = 0;
    virtual BOOL32 UnregisterFlashMethod(const char* method,
                                         IFlashAPICenterExternalInterface* handler) = 0;

protected:
    ~IFlashAPICenter() = default;
};

// --- "browserengine" ---

class IBrowserAPICenterCall {
public:
    virtual void OnBrowserCall(std::uint32_t context, const char* method,
                               tagDISPPARAMS* arguments, void* extra, BOOL32* handled) = 0;

protected:
    ~IBrowserAPICenterCall() = default;
};

class IBrowserAPICenter {
public:
    virtual BOOL32 CallPage(const char* function, tagDISPPARAMS* arguments, tagVARIANT* result,
                            std::uint32_t* argumentError) = 0;
    virtual BOOL32 RegisterPageMethod(const char* method, IBrowserAPICenterCall* handler) = 0;
    virtual BOOL32 UnregisterPageMethod(const char* method, IBrowserAPICenterCall* handler) = 0;

protected:
    ~IBrowserAPICenter() = default;
};

// --- other components ---

// "onlinemanager": only passed on to the protocol object.
class IOnlineRootProtocol {
protected:
    ~IOnlineRootProtocol() = default;
};

// "phaseslogic"
class IPhasesLogic {
public:
    virtual std::int32_t GetPetClass(std::uint16_t typeCode, std::uint16_t level) = 0;

protected:
    ~IPhasesLogic() = default;
};

// "kivpettitlesystem": each call fills a string the caller created empty.
class IKivPetTitleSystem {
public:
    virtual BOOL32 GetTitleName(std::uint16_t titleId, std::string* name) = 0;
    virtual BOOL32 GetTitleColor(std::uint16_t titleId, std::string* color) = 0;

protected:
    ~IKivPetTitleSystem() = default;
};

// "mainlogicpluginloader"
class IMainLogicPluginLoader {
public:
    virtual BOOL32 RegisterPlugin(IPlugin* plugin) = 0;
    virtual BOOL32 UnregisterPlugin(IPlugin* plugin) = 0;

protected:
    ~IMainLogicPluginLoader() = default;
};

// --- the protocol object from "Quorlink.dll" ---

namespace Protocol {
// Where the protocol object answers, after the call that asked. `list` is the protocol
// layer's block, valid during the call only.
class IGetPetZoneShowInfo2ProtocolEvent {
public:
    virtual void OnResult(void* sender, PetInfoList* list) = 0;
    virtual void OnError(void* sender, std::uint32_t detail) = 0;

protected:
    ~IGetPetZoneShowInfo2ProtocolEvent() = default;
};
}  // namespace Protocol

class IPetZoneShowInfoProtocol : public IObject {
public:
    virtual BOOL32 Bind(IOnlineRootProtocol* onlineRoot,
                        Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink, std::int32_t flag) = 0;
    virtual BOOL32 Unbind() = 0;  // not used by the plug-in
    // `ids` is the caller's block, valid during the call only.
    virtual BOOL32 Request(PetIdList* ids) = 0;

protected:
    ~IPetZoneShowInfoProtocol() = default;
};
