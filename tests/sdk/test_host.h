// A host for tests, written from the public headers alone: a root plug-in whose container
// holds every component the plug-in uses, an object loader that hands out a new protocol
// object per load, and a log of every call the plug-in makes into it. A hook runs at each
// such call, so a test can act from inside it (uninitialise, destroy...). A retired host
// stands for one that has been freed: any call into it is counted.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

namespace testhost {

class Host;

// Every entry point of the host begins here.
void Enter(Host& host, const char* what);

class Component : public IPlugin, public IComponentContainer {
public:
    Component(Host& host, const char* name, IPlugin* parent)
        : host_(host), name_(name), parent(parent)
    {
    }
    ClassId GetClassId() override { return 0; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}
    BOOL32 PreInitialize() override { return 1; }
    BOOL32 Initialize(IPlugin*, const char*) override { return 1; }
    const char* GetPluginName() override { return Enter(host_, "GetPluginName"), name_; }
    IPlugin* GetParent() override { return Enter(host_, "GetParent"), parent; }
    BOOL32 GetComponentContainer(IComponentContainer** out) override
    {
        Enter(host_, "GetComponentContainer");
        *out = components.empty() ? nullptr : this;
        return !components.empty();
    }
    BOOL32 SetComponentContainer(IComponentContainer*) override { return 0; }
    BOOL32 GetInterface(const char* name, void** out) override
    {
        Enter(host_, "GetInterface");
        auto found = interfaces.find(name ? name : "");
        if (found == interfaces.end())
            return 0;
        *out = found->second;
        return 1;
    }
    BOOL32 FindComponent(IPlugin** out, const char* id) override
    {
        Enter(host_, "FindComponent");
        auto found = components.find(id ? id : "");
        if (found == components.end())
            return 0;
        *out = found->second;
        return 1;
    }

    std::map<std::string, void*> interfaces;
    std::map<std::string, IPlugin*> components;  // a container when not empty

private:
    Host& host_;
    const char* name_;

public:
    IPlugin* parent;
};

// Each registration as (method, handler), in the order made; undone ones are removed.
template <class Handler>
using Registrations = std::multimap<std::string, Handler*>;

template <class Handler>
void Unregister(Registrations<Handler>& table, const char* method, Handler* handler)
{
    auto range = table.equal_range(method);
    for (auto at = range.first; at != range.second; ++at) {
        if (at->second == handler) {
            table.erase(at);
            return;
        }
    }
}

class Host final : public IFlashAPICenter,
             public IBrowserAPICenter,
             public IPhasesLogic,
             public IKivPetTitleSystem,
             public IMainLogicPluginLoader,
             public IObjectLoader,
             public IOnlineRootProtocol {
public:
    // Answers every requested id as a pet, later, when the test calls Answer.
    class Protocol final : public IPetZoneShowInfoProtocol {
    public:
        explicit Protocol(Host& host) : host_(host) {}
        ClassId GetClassId() override { return 0x100053A; }
        void SetObjectLoader(IObjectLoader*) override {}
        void Uninitialize() override {}
        void Destroy() override {}
        BOOL32 Bind(IOnlineRootProtocol*, ::Protocol::IGetPetZoneShowInfo2ProtocolEvent* s,
                    std::int32_t) override
        {
            Enter(host_, "Bind");
            sink = s;
            return 1;
        }
        BOOL32 Unbind() override { return 1; }
        BOOL32 Request(PetIdList* ids) override
        {
            Enter(host_, "Request");
            pending.insert(pending.end(), ids->ids, ids->ids + ids->count);
            return 1;
        }
        // One result block with every pending id, each a pet named "Pip" with title 7.
        void Answer()
        {
            if (pending.empty() || !sink)
                return;
            std::vector<unsigned char> block(8 + pending.size() * sizeof(PetInfo));
            auto* list = reinterpret_cast<PetInfoList*>(block.data());
            list->count = static_cast<std::uint16_t>(pending.size());
            for (std::size_t i = 0; i < pending.size(); ++i) {
                PetInfo& pet = list->records[0];
                PetInfo* record = &pet + i;
                record->petid = pending[i];
                std::strcpy(record->petname, "Pip");
                record->titleid = 7;
            }
            pending.clear();
            sink->OnResult(this, list);
        }
        void Fail()
        {
            if (sink)
                sink->OnError(this, 1);
        }

        ::Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink = nullptr;
        std::vector<std::uint64_t> pending;

    private:
        Host& host_;
    };

    Host()
    {
        auto offer = [this](Component& component, const char* interface, void* pointer) {
            component.interfaces[interface] = pointer;
            root.components[component.GetPluginName()] = &component;
        };
        offer(flash, "IFlashAPICenter", static_cast<IFlashAPICenter*>(this));
        offer(browser, "IBrowserAPICenter", static_cast<IBrowserAPICenter*>(this));
        offer(phases, "IPhasesLogic", static_cast<IPhasesLogic*>(this));
        offer(titles, "IKivPetTitleSystem", static_cast<IKivPetTitleSystem*>(this));
        offer(mainLogic, "IMainLogicPluginLoader", static_cast<IMainLogicPluginLoader*>(this));
        offer(online, "IOnlineRootProtocol", static_cast<IOnlineRootProtocol*>(this));
        calls.clear();
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Creates a plug-in with `create` and starts it under this host's root (`parent`
    // null: without a parent), as the component "lumarin" when `asService`.
    IPlugin* Start(CreateObjectFunction create, bool withParent = true, bool asService = true)
    {
        IPlugin* plugin = create(0xF029001);
        if (!plugin)
            return nullptr;
        if (asService)
            root.components["lumarin"] = plugin;
        plugin->SetObjectLoader(this);
        plugin->PreInitialize();
        lastStart = plugin->Initialize(withParent ? &root : nullptr, "lumarin");
        return plugin;
    }
    // A movie calls `method` with `argument` (an id, or ids separated by commas) on every
    // handler registered for it.
    void MovieCall(const char* method, const char* argument)
    {
        class Call : public IFlashCallRecord {
        public:
            Call(const char* name, const char* argument) : name_(name), argument_(argument) {}
            const char* GetName() override { return name_; }
            const void* GetArg(int) override { return argument_; }
            std::int64_t GetInt64Arg(int) override { return std::strtoll(argument_, nullptr, 10); }
            const char* GetStringArg(int) override { return argument_; }

        private:
            const char* name_;
            const char* argument_;
        } call(method, argument);
        std::vector<IFlashAPICenterExternalInterface*> handlers;
        auto range = flashMethods.equal_range(method);
        for (auto at = range.first; at != range.second; ++at)
            handlers.push_back(at->second);
        for (IFlashAPICenterExternalInterface* handler : handlers) {
            BOOL32 handled = 0;
            auto now = flashMethods.equal_range(method);  // unregistered by an earlier call?
            if (std::any_of(now.first, now.second, [handler](const auto& entry) {
                    return entry.second == handler;
                }))
                handler->OnCall(1, &call, &handled);
        }
    }
    // Every protocol object answers, or fails, what it has pending.
    void AnswerAll()
    {
        for (std::size_t i = 0; i < protocols.size(); ++i)
            protocols[i]->Answer();
    }

    // --- IFlashAPICenter ---
    BOOL32 CallFlash(const char* request, char*, std::int32_t*) override
    {
        movieCalls.push_back(request);
        return Enter(*this, "CallFlash"), 1;
    }
    BOOL32 RegisterFlashMethod(const char* m, IFlashAPICenterExternalInterface* h) override
    {
        flashMethods.emplace(m, h);
        return Enter(*this, "RegisterFlashMethod"), 1;
    }
    BOOL32 UnregisterFlashMethod(const char* m, IFlashAPICenterExternalInterface* h) override
    {
        Unregister(flashMethods, m, h);
        return Enter(*this, "UnregisterFlashMethod"), 1;
    }
    // --- IBrowserAPICenter ---
    BOOL32 CallPage(const char* function, tagDISPPARAMS*, tagVARIANT*, std::uint32_t*) override
    {
        pageCalls.push_back(function);
        return Enter(*this, "CallPage"), 1;
    }
    BOOL32 RegisterPageMethod(const char* m, IBrowserAPICenterCall* h) override
    {
        pageMethods.emplace(m, h);
        return Enter(*this, "RegisterPageMethod"), 1;
    }
    BOOL32 UnregisterPageMethod(const char* m, IBrowserAPICenterCall* h) override
    {
        Unregister(pageMethods, m, h);
        return Enter(*this, "UnregisterPageMethod"), 1;
    }
    // --- the other components ---
    std::int32_t GetPetClass(std::uint16_t, std::uint16_t level) override
    {
        return Enter(*this, "GetPetClass"), level / 10 + 1;
    }
    BOOL32 GetTitleName(std::uint16_t, std::string* name) override
    {
        name->assign(titleName);
        return Enter(*this, "GetTitleName"), 1;
    }
    BOOL32 GetTitleColor(std::uint16_t, std::string* color) override
    {
        color->assign("#FFD700");
        return Enter(*this, "GetTitleColor"), 1;
    }
    BOOL32 RegisterPlugin(IPlugin* plugin) override
    {
        registeredPlugins.push_back(plugin);
        return Enter(*this, "RegisterPlugin"), 1;
    }
    BOOL32 UnregisterPlugin(IPlugin* plugin) override
    {
        auto found = std::find(registeredPlugins.begin(), registeredPlugins.end(), plugin);
        if (found != registeredPlugins.end())
            registeredPlugins.erase(found);
        return Enter(*this, "UnregisterPlugin"), 1;
    }
    IObject* LoadObject(IObject*, const char* module, ClassId classId) override
    {
        Enter(*this, "LoadObject");
        if (std::strcmp(module, "Quorlink.dll") != 0 || classId != 0x100053A)
            return nullptr;
        protocols.push_back(std::make_unique<Protocol>(*this));
        return protocols.back().get();
    }
    // A protocol object taken back never calls its sink again.
    BOOL32 ReleaseObject(IObject* object, std::int32_t) override
    {
        for (auto& protocol : protocols) {
            if (static_cast<IObject*>(protocol.get()) == object)
                protocol->sink = nullptr;
        }
        ++released;
        return Enter(*this, "ReleaseObject"), 1;
    }

    Component root{*this, "client", nullptr};
    Component flash{*this, "flashengine", &root}, browser{*this, "browserengine", &root},
        phases{*this, "phaseslogic", &root}, titles{*this, "kivpettitlesystem", &root},
        mainLogic{*this, "mainlogicpluginloader", &root}, online{*this, "onlinemanager", &root};

    std::string titleName = "Star";
    std::vector<std::string> calls;       // every call into the host, by name
    std::function<void(const std::string&)> onCall;  // run after each is logged
    bool retired = false;
    int callsWhileRetired = 0;
    BOOL32 lastStart = 0;

    std::vector<std::string> movieCalls, pageCalls;
    Registrations<IFlashAPICenterExternalInterface> flashMethods;
    Registrations<IBrowserAPICenterCall> pageMethods;
    std::vector<IPlugin*> registeredPlugins;
    std::vector<std::unique_ptr<Protocol>> protocols;
    int released = 0;
};

inline void Enter(Host& host, const char* what)
{
    if (host.retired)
        ++host.callsWhileRetired;
    host.calls.push_back(what);
    if (host.onCall) {
        const auto hook = host.onCall;  // it may replace itself
        hook(what);
    }
}

// A host component listening to the service; runs `onResult` at each event.
class Listener : public ILumarinEvent {
public:
    void OnPetInfoResult(std::int32_t success, PetInfoList*) override
    {
        ++events;
        if (onResult)
            onResult(success);
    }
    int events = 0;
    std::function<void(std::int32_t)> onResult;
};

}  // namespace testhost
