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
    EXPECT_EQ(library.CreateObject(0), nullptr);
    EXPECT_EQ(library.CreateObject(kLumarinClassId + 1), nullptr);
    EXPECT_EQ(library.CreateObject(kPetZoneShowInfoProtocolClassId), nullptr);
    IPlugin* first = library.CreateObject(kLumarinClassId);
    IPlugin* second = library.CreateObject(kLumarinClassId);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetClassId(), kLumarinClassId);
    EXPECT_NE(Service(first), Service(second));
    first->Destroy();
    second->Destroy();
}

TEST(Library, WholePathFromRequestToListener)
{
    auto host = LoadedHost();
    IPlugin* plugin = host->Plugin();
    EXPECT_EQ(plugin->PreInitialize(), 1);
    ASSERT_EQ(host->StartPlugin(), 1);
    EXPECT_STREQ(plugin->GetPluginName(), "lumarin");
    ASSERT_EQ(host->mainLogicLoader.registered, std::vector<IPlugin*>{plugin});

    simhost::PetProtocol* protocol = host->objectLoader.Current();
    ASSERT_NE(protocol, nullptr);
    ASSERT_EQ(host->objectLoader.loads.size(), 1u);
    EXPECT_EQ(host->objectLoader.loads[0].moduleName, "Quorlink.dll");
    EXPECT_EQ(host->objectLoader.loads[0].owner, static_cast<IObject*>(plugin));
    ASSERT_EQ(protocol->bindings.size(), 1u);
    EXPECT_EQ(protocol->bindings[0].onlineRoot, host->onlineManager.Root());
    EXPECT_EQ(protocol->bindings[0].flag, 1);

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
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].success, 1);
    EXPECT_EQ(std::memcmp(&seen, &host->pets[kPip], sizeof seen), 0);
    PetInfo cached{};
    EXPECT_EQ(service->GetCachedPetInfo(kPip, &cached), 1);
    EXPECT_EQ(std::memcmp(&cached, &host->pets[kPip], sizeof cached), 0);

    service->RemoveListener(&listener);
    host->StopPlugin();
    EXPECT_EQ(host->mainLogicLoader.unregistered, std::vector<IPlugin*>{plugin});
    ASSERT_EQ(host->objectLoader.releases.size(), 1u);
    EXPECT_EQ(host->objectLoader.releases[0].first, static_cast<IObject*>(protocol));
    EXPECT_EQ(host->objectLoader.releases[0].second, 1);
}

TEST(Library, InitializeFailsWithoutMainLogicLoaderOrObjectLoader)
{
    HostOptions noMainLogic;
    noMainLogic.mainLogicLoader = false;
    auto host = LoadedHost(noMainLogic);
    EXPECT_EQ(host->StartPlugin(), 0);
    ASSERT_NE(host->objectLoader.Current(), nullptr);  // loaded and bound all the same
    EXPECT_EQ(host->objectLoader.Current()->bindings.size(), 1u);
    host.reset();

    HostOptions noLoader;
    noLoader.objectLoader = false;
    host.reset();  // the library unloads: its module-wide caches start empty again
    host = LoadedHost(noLoader);
    EXPECT_EQ(host->StartPlugin(), 0);
    EXPECT_TRUE(host->objectLoader.loads.empty());
    EXPECT_EQ(host->mainLogicLoader.registered.size(), 0u);

    HostOptions noOnline;
    noOnline.onlineManager = false;
    host.reset();
    host = LoadedHost(noOnline);
    EXPECT_EQ(host->StartPlugin(), 1);
    ASSERT_NE(host->objectLoader.Current(), nullptr);
    EXPECT_EQ(host->objectLoader.Current()->bindings[0].onlineRoot, nullptr);
}

TEST(Library, GetInterfaceAnswersOnlyILumarin)
{
    auto host = LoadedHost();
    IPlugin* plugin = host->Plugin();
    void* out = nullptr;
    EXPECT_EQ(plugin->GetInterface("ilumarin", &out), 0);
    EXPECT_EQ(plugin->GetInterface("ILumarinEvent", &out), 0);
    EXPECT_EQ(plugin->GetInterface(nullptr, &out), 0);
    EXPECT_EQ(plugin->GetInterface("ILumarin", nullptr), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(plugin->GetInterface("ILumarin", &out), 1);
    EXPECT_NE(out, nullptr);
}
