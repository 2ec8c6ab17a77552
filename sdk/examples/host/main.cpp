// A complete small host: it loads the plug-in by full path, wires every component the
// plug-in looks up, asks for a pet from a movie, for a list from a page and for an unknown
// id through ILumarin, prints every callback and shuts down.
//   example-host [PLUGIN]     PLUGIN: the library's path (default: beside this program)
// Exit code 0 when every expected callback came.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <lumarin/loader.h>
#include <lumarin/version.h>

#include "host_components.h"

namespace {

// A movie's call: "Lumarin_GetPetInfo" reads argument 0 as a 64-bit id.
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

class Listener : public ILumarinEvent {
public:
    void OnPetInfoResult(std::int32_t success, PetInfoList* list) override
    {
        std::printf("listener: %s, %d record(s)\n", success ? "result" : "failure",
                    list ? list->count : 0);
    }
};

// `ascii` as a BSTR; the caller frees it with SysFreeString.
BSTR MakeBstr(const std::string& ascii)
{
    std::basic_string<OLECHAR> text(ascii.begin(), ascii.end());
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::string Beside(const std::string& program, const std::string& file)
{
    const std::string::size_type slash = program.find_last_of("/\\");
    return (slash == std::string::npos ? std::string(".") : program.substr(0, slash)) + "/" +
           file;
}

}  // namespace

int main(int argc, char** argv)
{
    std::printf("Lumarin SDK %s\n", LUMARIN_VERSION_STRING);
    const std::string path = argc > 1 ? argv[1] : Beside(argv[0], PLUGIN_FILE_NAME);
    lumarin::PluginModule module(path);
    if (!module.Create()) {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
        return 1;
    }

    // The client's tree: a root plug-in whose container holds every component.
    Components components;
    HostPlugin client("client", nullptr);
    HostPlugin flash("flashengine", &client), browser("browserengine", &client),
        phases("phaseslogic", &client), titles("kivpettitlesystem", &client),
        mainLogic("mainlogicpluginloader", &client), online("onlinemanager", &client);
    flash.Offer("IFlashAPICenter", static_cast<IFlashAPICenter*>(&components));
    browser.Offer("IBrowserAPICenter", static_cast<IBrowserAPICenter*>(&components));
    phases.Offer("IPhasesLogic", static_cast<IPhasesLogic*>(&components));
    titles.Offer("IKivPetTitleSystem", static_cast<IKivPetTitleSystem*>(&components));
    mainLogic.Offer("IMainLogicPluginLoader", static_cast<IMainLogicPluginLoader*>(&components));
    online.Offer("IOnlineRootProtocol", static_cast<IOnlineRootProtocol*>(&components));
    for (HostPlugin* component : {&flash, &browser, &phases, &titles, &mainLogic, &online})
        client.Add(component->GetPluginName(), component);

    IPlugin* plugin = module.Create()(kLumarinClassId);
    if (!plugin)
        return 1;
    client.Add("lumarin", plugin);  // the bridges find the service here
    plugin->SetObjectLoader(&components);
    plugin->PreInitialize();
    const BOOL32 started = plugin->Initialize(&client, "lumarin");
    void* found = nullptr;
    plugin->GetInterface("ILumarin", &found);
    auto* service = static_cast<ILumarin*>(found);
    Listener listener;
    if (started && service)
        service->AddListener(&listener);

    // A movie asks for a pet; the answer comes once the protocol object delivers.
    MovieCall call("Lumarin_GetPetInfo", "433791706897");
    BOOL32 handled = 0;
    if (IFlashAPICenterExternalInterface* method = components.movieMethods["Lumarin_GetPetInfo"])
        method->OnCall(1, &call, &handled);
    components.protocol.Deliver();

    // A page asks for a list: the ids as a BSTR in element 1.
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    arguments[1].vt = VT_BSTR;
    arguments[1].bstrVal = MakeBstr("433791706897,5");
    DISPPARAMS parameters = {arguments, nullptr, 2, 0};
    int context = 0;
    handled = 0;
    if (IBrowserAPICenterCall* method = components.pageMethods["Lumarin_GetPetInfoList"])
        method->OnBrowserCall(1, "Lumarin_GetPetInfoList", &parameters, &context, &handled);
    VariantClear(&arguments[1]);
    components.protocol.Deliver();

    // A component asks for an unknown pet: a failure reaches every listener.
    if (service)
        service->RequestPetInfo(5);
    components.protocol.Deliver();

    PetInfo cached{};
    const bool inCache = service && service->GetCachedPetInfo(433791706897ULL, &cached);
    std::printf("cache: %s\n", inCache ? cached.petname : "(none)");

    if (service)
        service->RemoveListener(&listener);
    plugin->Uninitialize();
    plugin->Destroy();
    // Two results and a failure, each to the movie and to the page.
    return started && inCache && components.callbacks == 6 ? 0 : 1;
}
