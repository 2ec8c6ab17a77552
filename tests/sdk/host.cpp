// A host written from the installed headers alone: it loads the plug-in library by path,
// creates the plug-in through CreateObject, has a movie ask for one pet and checks that the
// answer reaches the movie and a listener. Usage: host LIBRARY; exit code 0 when it works.
#include <cstdio>
#include <string>

#include "plugin_module.h"
#include "test_host.h"

namespace {

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
        testhost::Host host;
        Check(create(kLumarinClassId + 1) == nullptr, "CreateObject with another class id");
        IPlugin* plugin = host.Start(create);
        Check(plugin && plugin->GetClassId() == kLumarinClassId, "CreateObject");
        if (!plugin)
            return 1;
        Check(host.lastStart == 1, "Initialize");
        void* service = nullptr;
        Check(plugin->GetInterface("ILumarin", &service) == 1, "GetInterface");
        testhost::Listener listener;
        static_cast<ILumarin*>(service)->AddListener(&listener);

        host.MovieCall("Lumarin_GetPetInfo", "433791706897");
        Check(host.flashMethods.count("Lumarin_GetPetInfo") == 1, "movie method registered");
        Check(host.movieCalls.empty(), "movie call answered later");
        host.AnswerAll();
        Check(host.movieCalls.size() == 1 &&
                  host.movieCalls[0].find("<property id='petid'><string>433791706897</string>") !=
                      std::string::npos,
              "the movie got the pet");
        Check(listener.events == 1, "the listener got the pet");

        static_cast<ILumarin*>(service)->RemoveListener(&listener);
        plugin->Uninitialize();
        plugin->Destroy();
        Check(host.released == 1 && host.registeredPlugins.empty() && host.flashMethods.empty(),
              "Uninitialize undid the start");
    }
    ClosePluginModule();
    return failures == 0 ? 0 : 1;
}
