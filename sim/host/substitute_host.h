// The substitute host: a client plug-in tree whose container holds the components the
// Lumarin plug-in uses, an object loader with the protocol object, and the plug-in library
// loaded by path. Each component can be left out, to see the plug-in cope without it.
#pragma once

#include <memory>
#include <string>

#include "sim/host/components.h"
#include "sim/host/host_component.h"
#include "sim/host/object_loader.h"
#include "sim/host/plugin_library.h"
#include "sim/host/script_engines.h"

namespace simhost {

struct HostOptions {
    bool objectLoader = true;
    bool onlineManager = true;
    bool mainLogicLoader = true;
    bool flashEngine = true;
    bool browserEngine = true;
    bool phasesLogic = true;
    bool titleSystem = true;
    // Keep every movie and page callback and every request block for a test to read
    // (FlashEngine::calls, BrowserEngine::calls, PetProtocol::requests). Off, the host runs
    // in constant memory however many calls it plays (lumarin-host).
    bool record = true;
};

class SubstituteHost {
public:
    explicit SubstituteHost(HostOptions options = {});
    ~SubstituteHost();  // destroys a plug-in still held, then unloads the library

    // Loads the plug-in library and creates the plug-in with CreateObject; on failure
    // `error` says why. The plug-in is registered as the component "lumarin".
    bool LoadPlugin(const std::string& path, std::string& error);
    // Takes a plug-in created otherwise (tests link the plug-in's code in) as "lumarin".
    void AttachPlugin(IPlugin* plugin);
    IPlugin* Plugin() const { return plugin_; }
    // Hands in the object loader (when present), then PreInitialize and Initialize under
    // the client's root plug-in with the name "lumarin". Answers Initialize's result.
    BOOL32 StartPlugin();
    // Uninitialize and Destroy.
    void StopPlugin();

    // Delivers what the protocol object has pending.
    void DeliverPending();

    PetDatabase pets;
    HostComponent root{"client"};
    ObjectLoader objectLoader{pets};
    OnlineManager onlineManager{&root};
    MainLogicLoader mainLogicLoader{&root};
    FlashEngine flashEngine{&root};
    BrowserEngine browserEngine{&root};
    PhasesLogic phasesLogic{&root};
    TitleSystem titleSystem{&root};
    PluginLibrary library;

private:
    HostOptions options_;
    ComponentContainer container_;
    IPlugin* plugin_ = nullptr;
};

}  // namespace simhost
