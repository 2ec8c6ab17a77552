// A host written from the installed headers alone: it loads the plug-in library by path,
// creates the plug-in through CreateObject, has a movie ask for one pet and checks that the
// answer reaches the movie and a listener. Usage: host LIBRARY; exit code 0 when it works.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <lumarin/host_interfaces.h>
#include <lumarin/lumarin.h>

#include "plugin_module.h"

namespace {

// A host component: a name, a parent, an optional container, interfaces by name.
class Component : public IPlugin {
public:
    Component(const char* name, IPlugin* parent) : name_(name), parent_(parent) {}
    ClassId GetClassId() override { return 0; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}
    BOOL32 PreInitialize() override { return 1; }
    BOOL32 Initialize(IPlugin*, const char*) override { return 1; }
    const char* GetPluginName() override { return name_; }
    IPlugin* GetParent() override { return parent_; }
    BOOL32 GetComponentContainer(IComponentContainer** out) override
    {
        *out = container_;
        return container_ != nullptr;
    }
    BOOL32 SetComponentContainer(IComponentContainer* container) override
    {
        container_ = container;
        return container_ != nullptr;
    }
    BOOL32 GetInterface(const char* name, void** out) override
    {
        auto found = interfaces.find(name ? name : "");
        if (found == interfaces.end())
            return 0;
        *out = found->second;
        return 1;
    }
    std::map<std::string, void*> interfaces;

private:
    const char* name_;
    IPlugin* parent_;
    IComponentContainer* container_ = nullptr;
};

class Container : public IComponentContainer {
public:
    BOOL32 FindComponent(IPlugin** out, const char* id) override
    {
        auto found = components.find(id ? id : "");
        if (found == components.end())
            return 0;
        *out = found->second;
        return 1;
    }
    std::map<std::string, IPlugin*> components;
};

class FlashCenter : public IFlashAPICenter {
public:
    BOOL32 CallFlash(const char* request, char*, std::int32_t*) override
    {
        calls.push_back(request);
        return 1;
    }
    BOOL32 RegisterFlashMethod(const char* method, IFlashAPICenterExternalInterface* h) override
    {
        handlers[method] = h;
        return 1;
    }
    BOOL32 UnregisterFlashMethod(const char* method, IFlashAPICenterExternalInterface*) override
    {
        handlers.erase(method);
        return 1;
    }
    std::map<std::string, IFlashAPICenterExternalInterface*> handlers;
    std::vector<std::string> calls;
};

class MovieCall : public IFlashCallRecord {
public:
    MovieCall(const char* name, const char* argument) : name_(name), argument_(argument) {}
    const char* GetName() override { return name_; }
    const void* GetArg(int) override { return argument_; }
    std::int64_t GetInt64Arg(int) override { return std::strtoll(argument_, nullptr, 10); }
    const char* GetStringArg(int) override { return argument_; }

private:
    const char* name_;
    const char* argument_;
};

class MainLogic : public IMainLogicPluginLoader {
public:
    BOOL32 RegisterPlugin(IPlugin*) override { return ++registered, 1; }
    BOOL32 UnregisterPlugin(IPlugin*) override { return --registered, 1; }
    int registered = 0;
};

// Answers later, when the host says so: every requested id as a pet named "Pip".
class PetProtocol : public IPetZoneShowInfoProtocol {
public:
    ClassId GetClassId() override { return kPetZoneShowInfoProtocolClassId; }
    void SetObjectLoader(IObjectLoader*) override {}
    void Uninitialize() override {}
    void Destroy() override {}
    BOOL32 Bind(IOnlineRootProtocol*, Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink,
                std::int32_t) override
    {
        sink_ = sink;
        return 1;
    }
    BOOL32 Unbind() override { return 1; }
    BOOL32 Request(PetIdList* ids) override
    {
        pending_.insert(pending_.end(), ids->ids, ids->ids + ids->count);
        return 1;
    }
    void Answer()
    {
        for (std::uint64_t id : pending_) {
            PetInfoList list{};
            list.count = 1;
            list.records[0].petid = id;
            std::strcpy(list.records[0].petname, "Pip");
            sink_->OnResult(static_cast<IPetZoneShowInfoProtocol*>(this), &list);
        }
        pending_.clear();
    }

private:
    Protocol::IGetPetZoneShowInfo2ProtocolEvent* sink_ = nullptr;
    std::vector<std::uint64_t> pending_;
};

class Loader : public IObjectLoader {
public:
    IObject* LoadObject(IObject*, const char* module, ClassId classId) override
    {
        bool quorlink = std::strcmp(module, "Quorlink.dll") == 0 &&
                        classId == kPetZoneShowInfoProtocolClassId;
        return quorlink ? &protocol : nullptr;
    }
    BOOL32 ReleaseObject(IObject*, std::int32_t) override { return ++released, 1; }
    PetProtocol protocol;
    int released = 0;
};

class Listener : public ILumarinEvent {
public:
    void OnPetInfoResult(std::int32_t success, PetInfoList* list) override
    {
        if (success && list && list->count == 1)
            names.push_back(list->records[0].petname);
    }
    std::vector<std::string> names;
};

int failures = 0;
void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "failed: %s\n", what);
        ++failures;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    CreateObjectFunction create = OpenPluginModule(argv[1]);
    if (!create) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    {
        Container container;
        Component root("client", nullptr), flash("flashengine", &root),
            mainLogic("mainlogicpluginloader", &root);
        FlashCenter center;
        MainLogic loaderOfPlugins;
        Loader loader;
        flash.interfaces["IFlashAPICenter"] = static_cast<IFlashAPICenter*>(&center);
        mainLogic.interfaces["IMainLogicPluginLoader"] =
            static_cast<IMainLogicPluginLoader*>(&loaderOfPlugins);
        root.SetComponentContainer(&container);
        container.components = {{"flashengine", &flash}, {"mainlogicpluginloader", &mainLogic}};

        Check(create(kLumarinClassId + 1) == nullptr, "CreateObject with another class id");
        IPlugin* plugin = create(kLumarinClassId);
        Check(plugin && plugin->GetClassId() == kLumarinClassId, "CreateObject");
        if (!plugin)
            return 1;
        container.components["lumarin"] = plugin;
        plugin->SetObjectLoader(&loader);
        plugin->PreInitialize();
        Check(plugin->Initialize(&root, "lumarin") == 1, "Initialize");
        void* service = nullptr;
        Check(plugin->GetInterface("ILumarin", &service) == 1, "GetInterface");
        Listener listener;
        static_cast<ILumarin*>(service)->AddListener(&listener);

        MovieCall call("Lumarin_GetPetInfo", "433791706897");
        BOOL32 handled = 0;
        auto handler = center.handlers.find("Lumarin_GetPetInfo");
        Check(handler != center.handlers.end(), "movie method registered");
        if (handler != center.handlers.end())
            handler->second->OnCall(1, &call, &handled);
        Check(handled == 1 && center.calls.empty(), "movie call handled, answered later");
        loader.protocol.Answer();
        Check(center.calls.size() == 1 &&
                  center.calls[0].find("<property id='petid'><string>433791706897</string>") !=
                      std::string::npos,
              "the movie got the pet");
        Check(listener.names == std::vector<std::string>{"Pip"}, "the listener got the pet");

        static_cast<ILumarin*>(service)->RemoveListener(&listener);
        plugin->Uninitialize();
        plugin->Destroy();
        Check(loader.released == 1 && loaderOfPlugins.registered == 0 && center.handlers.empty(),
              "Uninitialize undid the start");
    }
    ClosePluginModule();
    return failures == 0 ? 0 : 1;
}
