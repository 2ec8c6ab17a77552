// The built library, loaded by path through the substitute host and reached only through
// CreateObject. Each test loads it afresh, so its module-wide state starts empty.
#include <gtest/gtest.h>

#include "sim/host/substitute_host.h"
#include "tests/plugin/pet_records.h"
#include "tests/plugin/recording_listener.h"
#include "tests/support/process.h"

using simhost::HostOptions;
using simhost::SubstituteHost;

namespace {

constexpr std::uint64_t kPip = 433791706897ULL;

std::unique_ptr<SubstituteHost> LoadedHost(HostOptions options = {})
{
    auto host = std::make_unique<SubstituteHost>(options);
    host->pets[kPip] = PatternedPet(kPip);
    std::string error;
    EXPECT_TRUE(host->LoadPlugin(testsupport::LibraryPath("Lumarin"), error)) << error;
    return host;
}

ILumarin* Service(IPlugin* plugin)
{
    void* out = nullptr;
    return plugin->GetInterface("ILumarin", &out) ? static_cast<ILumarin*>(out) : nullptr;
}

}  // namespace

TEST(Library, CreateObjectMakesOnlyTheServicePlugin)
{
    simhost::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(testsupport::LibraryPath("Lumarin"), error)) << error;
    EXPECT_EQ(nullptr, library.CreateObject(0));
    EXPECT_EQ(nullptr, library.CreateObject(kLumarinClassId + 1));
    EXPECT_EQ(nullptr, library.CreateObject(kPetZoneShowInfoProtocolClassId));
    IPlugin* first = library.CreateObject(kLumarinClassId);
    IPlugin* second = library.CreateObject(kLumarinClassId);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(kLumarinClassId, first->GetClassId());
    EXPECT_NE(Service(first), Service(second));
    first->Destroy();
    second->Destroy();
}

TEST(Library, WholePathFromRequestToListener)
{
    auto host = LoadedHost();
    IPlugin* plugin = host->Plugin();
    EXPECT_EQ(1, plugin->PreInitialize());
    ASSERT_EQ(1, host->StartPlugin());
    EXPECT_STREQ(plugin->GetPluginName(), "lumarin");
    ASSERT_EQ(std::vector<IPlugin*>{plugin}, host->mainLogicLoader.registered);

    simhost::PetProtocol* protocol = host->objectLoader.Current();
    ASSERT_NE(protocol, nullptr);
    ASSERT_EQ(1u, host->objectLoader.loads.size());
    EXPECT_EQ("Quorlink.dll", host->objectLoader.loads[0].moduleName);
    EXPECT_EQ(static_cast<IObject*>(plugin), host->objectLoader.loads[0].owner);
    ASSERT_EQ(1u, protocol->bindings.size());
    EXPECT_EQ(host->onlineManager.Root(), protocol->bindings[0].onlineRoot);
    EXPECT_EQ(1, protocol->bindings[0].flag);

    ILumarin* service = Service(plugin);
    ASSERT_NE(service, nullptr);
    std::vector<Delivery> log;
    RecordingListener listener("L", log);
    PetInfo seen{};
    listener.onCall = [&](PetInfoList* list) { seen = list->records[0]; };
    service->AddListener(&listener);

    service->RequestPetInfo(kPip);
    EXPECT_TRUE(log.empty());  // answered later, never inside the request
    host->DeliverPending();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(1, log[0].success);
    EXPECT_EQ(0, std::memcmp(&seen, &host->pets[kPip], sizeof seen));
    PetInfo cached{};
    EXPECT_EQ(1, service->GetCachedPetInfo(kPip, &cached));
    EXPECT_EQ(0, std::memcmp(&cached, &host->pets[kPip], sizeof cached));

    service->RemoveListener(&listener);
    host->StopPlugin();
    EXPECT_EQ(std::vector<IPlugin*>{plugin}, host->mainLogicLoader.unregistered);
    ASSERT_EQ(1u, host->objectLoader.releases.size());
    EXPECT_EQ(static_cast<IObject*>(protocol), host->objectLoader.releases[0].first);
    EXPECT_EQ(1, host->objectLoader.releases[0].second);
}

TEST(Library, InitializeFailsWithoutMainLogicLoaderOrObjectLoader)
{
    HostOptions noMainLogic;
    noMainLogic.mainLogicLoader = false;
    auto host = LoadedHost(noMainLogic);
    EXPECT_EQ(0, host->StartPlugin());
    ASSERT_NE(host->objectLoader.Current(), nullptr);  // loaded and bound all the same
    EXPECT_EQ(1u, host->objectLoader.Current()->bindings.size());
    host.reset();

    HostOptions noLoader;
    noLoader.objectLoader = false;
    host.reset();  // the library unloads: its module-wide caches start empty again
    host = LoadedHost(noLoader);
    EXPECT_EQ(0, host->StartPlugin());
    EXPECT_TRUE(host->objectLoader.loads.empty());
    EXPECT_EQ(0u, host->mainLogicLoader.registered.size());

    HostOptions noOnline;
    noOnline.onlineManager = false;
    host.reset();
    host = LoadedHost(noOnline);
    EXPECT_EQ(1, host->StartPlugin());
    ASSERT_NE(host->objectLoader.Current(), nullptr);
    EXPECT_EQ(nullptr, host->objectLoader.Current()->bindings[0].onlineRoot);
}

TEST(Library, GetInterfaceAnswersOnlyILumarin)
{
    auto host = LoadedHost();
    IPlugin* plugin = host->Plugin();
    void* out = nullptr;
    EXPECT_EQ(0, plugin->GetInterface("ilumarin", &out));
    EXPECT_EQ(0, plugin->GetInterface("ILumarinEvent", &out));
    EXPECT_EQ(0, plugin->GetInterface(nullptr, &out));
    EXPECT_EQ(0, plugin->GetInterface("ILumarin", nullptr));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, plugin->GetInterface("ILumarin", &out));
    EXPECT_NE(out, nullptr);
}

// Two instances in turn in one load, each under its own host; the first host is gone before
// the second instance starts. The second reaches only its own host's components.
TEST(Library, InstancesInTurnReachOnlyTheirOwnHost)
{
    simhost::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(testsupport::LibraryPath("Lumarin"), error)) << error;
    auto first = std::make_unique<SubstituteHost>();
    first->AttachPlugin(library.CreateObject(kLumarinClassId));
    ASSERT_EQ(1, first->StartPlugin());
    first->StopPlugin();

    SubstituteHost second;
    second.pets[kPip] = PatternedPet(kPip);
    first.reset();  // every component of the first host freed
    IPlugin* plugin = library.CreateObject(kLumarinClassId);
    second.AttachPlugin(plugin);
    ASSERT_EQ(1, second.StartPlugin());
    EXPECT_EQ(std::vector<IPlugin*>{plugin}, second.mainLogicLoader.registered);
    EXPECT_EQ(1, second.flashEngine.MovieCall("Lumarin_GetPetInfo", std::to_string(kPip)));
    second.DeliverPending();
    EXPECT_EQ(1u, second.flashEngine.calls.size());
    EXPECT_EQ(1u, second.browserEngine.calls.size());
    second.StopPlugin();
    EXPECT_TRUE(second.flashEngine.handlers.empty());
}
