// What the plug-in calls on the host and its components. Only the operations the plug-in
// uses are declared, in table order. This header, object.h (the objects, CreateObject) and
// <lumarin/lumarin.h> (the service) are all a host needs.
//
// Hosting the plug-in, in order:
// 1. Load the library and call CreateObject(kLumarinClassId) (object.h).
// 2. Register the plug-in's IPlugin in a component container as component "lumarin"; the
//    script bridges find the service there. Without it, movie and page calls are accepted
//    and never answered.
// 3. SetObjectLoader (required: without it no protocol object is loaded and Initialize
//    answers 0), PreInitialize, then Initialize(parent, name): `parent` is the plug-in at
//    which every component lookup starts; `name` (not null) is stored as the plug-in's
//    name, the last resort of a lookup (step 4).
// 4. Lookups: the parent's container (GetComponentContainer, then FindComponent by id),
//    then up through GetParent() the same way, nearest first; when no container knows the
//    id, the topmost plug-in answers if its GetPluginName() equals the id. The component
//    found is asked GetInterface(interface name); a true answer must come with a pointer.
// 5. At shutdown Uninitialize, then Destroy. Destroy alone undoes no registration.
//
// | component id          | interface              | used for                 | if missing        |
// |-----------------------|------------------------|--------------------------|-------------------|
// | lumarin               | ILumarin               | bridges reach service    | calls unanswered  |
// | flashengine           | IFlashAPICenter        | movie calls, callbacks   | no Flash methods  |
// | browserengine         | IBrowserAPICenter      | page calls, callbacks    | no page methods   |
// | phaseslogic           | IPhasesLogic           | each record's petclass   | no petclass (0)   |
// | kivpettitlesystem     | IKivPetTitleSystem     | titlename, titlecolor    | empty texts       |
// | mainlogicpluginloader | IMainLogicPluginLoader | (Un)RegisterPlugin       | Initialize: 0     |
// | onlinemanager         | IOnlineRootProtocol    | passed on to Bind        | Bind gets null    |
// Through the object loader: LoadObject(plug-in, "Quorlink.dll", 0x100053A) gives the
// IPetZoneShowInfoProtocol (required: without it Initialize answers 0 and no request goes
// out); Initialize binds its sink; Uninitialize gives it back with ReleaseObject(object, 1).
//
// The rules both sides keep:
// - threads: every call either way is made on the client's one main thread; none may come
//   from another thread, and none is guarded against it. Calls may nest: a host call made
//   by the plug-in may call into it again (deliver a result, add a listener...).
// - borrowed pointers: whatever the host hands out (components, their interfaces, the object
//   loader, the protocol object) is borrowed, never freed by the plug-in, and must live
//   until the Uninitialize of the plug-in instance that uses it has returned. The plug-in
//   caches interfaces per host: instances whose parent chains end at the same top plug-in
//   share them, an instance without a parent has its own, and what an instance looked up
//   is forgotten when it is uninitialised. No instance uses what another host gave.
// - lifetime: every registration (script methods, listeners, RegisterPlugin) is undone in
//   Uninitialize with the very object it was made with. Once Uninitialize has returned the
//   plug-in calls no host component, even when the host called it from inside a call the
//   plug-in made (the rest of that delivery is dropped). Destroy from inside such a call
//   takes effect when the call returns. Initialize on a started instance (until its
//   Uninitialize) answers 0 and changes nothing; a parent chain that loops makes it answer
//   0; either way Uninitialize is still required before Destroy.
// - call arguments: a call record, DISPPARAMS, an id or result block and every text handed
//   into a call are valid during that call only; the receiver copies what it keeps.
// - handlers: a movie or page handler (RegisterFlashMethod, RegisterPageMethod), a plug-in
//   given to RegisterPlugin and an ILumarinEvent listener (AddListener) must live until
//   unregistered or removed; the plug-in unregisters its own in Uninitialize.
// - a Bind sink must live until the protocol object is released with ReleaseObject, and the
//   protocol object never calls it afterwards (the plug-in never calls Unbind). Results are
//   taken only from the protocol object the plug-in holds.
// - texts are NUL-terminated narrow text in the ANSI code page; page callbacks get UTF-16
//   converted from the thread's ANSI code page.
// - the module boundary: no interface has a virtual destructor or an overload, so the
//   tables match those of any Windows C++ compiler, except the title system's std::string
//   (the client compiler's own class).
// These are the client's own names, so they stay in the global namespace; the plug-in's own
// helpers are in namespace lumarin.
#pragma once

#include <cstdint>
#include <string>

#include <lumarin/object.h>

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

// One call from a movie, owned by the centre and valid during the call. The plug-in reads
// "Lumarin_GetPetInfo"'s id with GetInt64Arg(0), and "Lumarin_GetPetInfoList"'s ids (decimal,
// separated by commas) with GetStringArg(1); it also calls GetArg(0) there and uses nothing
// it answers.
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

// A page call (types in <lumarin/automation.h>). "Lumarin_GetPetInfo" takes the id in
// element 0 of `arguments`: an integer type, a VT_R8/VT_R4 holding a whole number, or a
// BSTR of decimal digits; any other value asks nothing and sets `*handled` 0.
// "Lumarin_GetPetInfoList" takes the ids in element 1 as a VT_BSTR, decimal, separated by
// commas. A call with `context` 0, a null `method`, `arguments`, `extra` or `handled`, or
// `*handled` already non-zero is ignored; so is a method whose name has no "Lumarin_".
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
// layer's block, valid during the call only. The plug-in takes a result only from the
// protocol object it holds; it drops an OnError with a null sender or detail 0.
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
