// What careless or unusual hosts do to the plug-in, through the public headers and the
// built library alone: two hosts at once, instances without a parent, a host that
// uninitialises or destroys the plug-in from inside a call the plug-in made, parent chains
// that loop, a second Initialize, and random call sequences. Run under AddressSanitizer
// (linux-asan) and valgrind, a touch of freed memory fails them; everywhere, a host that
// has let the plug-in go counts any call it still gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/sdk/plugin_module.h"
#include "tests/sdk/test_host.h"
#include "tests/support/process.h"

using testhost::Host;
using testhost::Listener;

namespace {

class Lifetime : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        create_ = OpenPluginModule(testsupport::LibraryPath("Lumarin").c_str());
    }
    static void TearDownTestSuite() { ClosePluginModule(); }
    void SetUp() override { ASSERT_NE(nullptr, create_); }

    static ILumarin* Service(IPlugin* plugin)
    {
        void* service = nullptr;
        return plugin->GetInterface("ILumarin", &service) ? static_cast<ILumarin*>(service)
                                                          : nullptr;
    }
    static void Stop(IPlugin* plugin)
    {
        plugin->Uninitialize();
        plugin->Destroy();
    }

    static CreateObjectFunction create_;
};

CreateObjectFunction Lifetime::create_ = nullptr;

// The host acts from inside one of the calls the plug-in makes while it delivers a result
// of three pets to both bridges and a listener of the host's.
enum class Act { Uninitialize, Destroy, UninitializeAndDestroy };
struct InsideCall {
    const char* call;  // the host call (or "OnPetInfoResult", the listener's callback)
    Act act;
};

}  // namespace

TEST_F(Lifetime, HostActsFromInsideACallOfThePlugin)
{
    const InsideCall rows[] = {
        {"OnPetInfoResult", Act::UninitializeAndDestroy}, {"CallFlash", Act::Uninitialize},
        {"CallFlash", Act::UninitializeAndDestroy},       {"CallPage", Act::Uninitialize},
        {"CallPage", Act::UninitializeAndDestroy},        {"GetTitleName", Act::Uninitialize},
        {"GetTitleName", Act::UninitializeAndDestroy},    {"GetPetClass", Act::Uninitialize},
        {"OnPetInfoResult", Act::Destroy},                {"CallFlash", Act::Destroy},
        {"CallPage", Act::Destroy},                       {"GetTitleName", Act::Destroy},
    };
    for (const InsideCall& row : rows) {
        SCOPED_TRACE(std::string(row.call) + " act " + std::to_string(static_cast<int>(row.act)));
        Host host;
        IPlugin* plugin = host.Start(create_);
        ASSERT_EQ(1, host.lastStart);
        Listener listener;
        Service(plugin)->AddListener(&listener);  // newest: called first
        std::size_t callsWhenDone = 0;
        bool acted = false;
        auto act = [&] {
            if (acted)
                return;
            acted = true;
            if (row.act != Act::Destroy)
                plugin->Uninitialize();
            callsWhenDone = host.calls.size();
            if (row.act != Act::Uninitialize)
                plugin->Destroy();
        };
        host.onCall = [&](const std::string& call) {
            if (call == row.call)
                act();
        };
        listener.onResult = [&](std::int32_t) {
            if (std::string(row.call) == "OnPetInfoResult")
                act();
        };
        host.MovieCall("Lumarin_GetPetInfoList", "11,22,33");
        host.AnswerAll();
        ASSERT_TRUE(acted);
        host.onCall = nullptr;
        if (row.act == Act::Destroy) {
            // Freed only once the delivery returned: every pet reached both bridges.
            EXPECT_EQ(3u, host.movieCalls.size());
            EXPECT_EQ(3u, host.pageCalls.size());
            continue;
        }
        EXPECT_EQ(callsWhenDone, host.calls.size()) << "calls after Uninitialize returned";
        EXPECT_TRUE(host.flashMethods.empty() && host.pageMethods.empty());
        EXPECT_TRUE(host.registeredPlugins.empty());
        if (row.act == Act::Uninitialize)
            plugin->Destroy();
    }
}

TEST_F(Lifetime, TwoHostsNeverShareComponents)
{
    auto first = std::make_unique<Host>();
    Host second;
    IPlugin* a = first->Start(create_);
    IPlugin* b = second.Start(create_);
    ASSERT_TRUE(first->lastStart == 1 && second.lastStart == 1);
    EXPECT_EQ(2u, first->flashMethods.size());
    EXPECT_EQ(2u, second.flashMethods.size());  // B registered with its own host
    EXPECT_EQ(2u, second.pageMethods.size());

    Stop(a);
    first.reset();  // host 1 is gone
    second.MovieCall("Lumarin_GetPetInfo", "11");
    second.AnswerAll();
    EXPECT_EQ(1u, second.movieCalls.size());
    EXPECT_EQ(1u, second.pageCalls.size());
    b->Uninitialize();
    EXPECT_TRUE(second.flashMethods.empty() && second.pageMethods.empty());
    EXPECT_TRUE(second.registeredPlugins.empty());
    b->Destroy();
}

TEST_F(Lifetime, AnInstanceWithoutParentKeepsToItself)
{
    Host host;
    // X answers "lumarin" by its own name, before A's bridges look the service up.
    IPlugin* x = host.Start(create_, false, false);
    IPlugin* a = host.Start(create_);
    testhost::Host::Protocol& xProtocol = *host.protocols.front();
    xProtocol.Fail();
    EXPECT_TRUE(host.movieCalls.empty()) << "A's bridges listen to X";
    Stop(a);
    x->Uninitialize();
    xProtocol.Fail();  // late, into X: nothing of A's may be reached
    EXPECT_TRUE(host.movieCalls.empty());
    x->Destroy();
}

TEST_F(Lifetime, ParentChainsThatLoopEndTheStart)
{
    Host host;
    testhost::Component self(host, "loop", nullptr), other(host, "other", &self);
    self.parent = &self;
    IPlugin* plugin = create_(0xF029001);
    plugin->SetObjectLoader(&host);
    EXPECT_EQ(0, plugin->Initialize(&self, "lumarin"));
    self.parent = &other;  // two plug-ins, each the other's parent
    EXPECT_EQ(0, plugin->Initialize(&other, "lumarin"));
    EXPECT_TRUE(host.flashMethods.empty() && host.protocols.empty());
    Stop(plugin);
}

TEST_F(Lifetime, SecondInitializeChangesNothing)
{
    Host host;
    IPlugin* plugin = host.Start(create_);
    EXPECT_EQ(0, plugin->Initialize(&host.root, "lumarin"));
    EXPECT_EQ(1u, host.protocols.size());
    EXPECT_EQ(1u, host.registeredPlugins.size());
    EXPECT_EQ(2u, host.flashMethods.size());
    plugin->Uninitialize();
    EXPECT_TRUE(host.registeredPlugins.empty() && host.flashMethods.empty());
    EXPECT_EQ(1, host.released);
    plugin->Destroy();
}

// Random sequences of host calls, with hosts that come and go and instances with and without
// a parent. A host is retired once no started instance uses it: from then on it stands for
// freed memory, and any call into it is counted.
TEST_F(Lifetime, RandomCallSequences)
{
    struct Instance {
        IPlugin* plugin;
        Host* host;
        bool started = false;
    };
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto pick = [&random](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        std::vector<std::unique_ptr<Host>> hosts;
        std::vector<Instance> instances;
        Listener listener;
        auto uses = [&](Host* host) {
            return std::any_of(instances.begin(), instances.end(),
                               [host](const Instance& i) { return i.started && i.host == host; });
        };
        auto find = [&](IPlugin* plugin) {
            return std::find_if(instances.begin(), instances.end(),
                                [plugin](const Instance& i) { return i.plugin == plugin; });
        };
        // Stops `plugin` unless it is gone already (stopped from inside a call meanwhile).
        auto stop = [&](IPlugin* plugin, bool destroy) {
            if (find(plugin) == instances.end())
                return;
            find(plugin)->started = false;
            plugin->Uninitialize();
            for (auto& host : hosts) {
                auto service = host->root.components.find("lumarin");
                if (service != host->root.components.end() && service->second == plugin)
                    host->root.components.erase(service);
            }
            if (destroy && find(plugin) != instances.end()) {
                instances.erase(find(plugin));
                plugin->Destroy();
            }
        };
        for (int step = 0; step < 400; ++step) {
            const std::size_t op = pick(8);
            if (hosts.empty() || (op == 0 && hosts.size() < 3))
                hosts.push_back(std::make_unique<Host>());
            Host& host = *hosts[pick(hosts.size())];
            if (host.retired)
                continue;
            if (op == 1 && instances.size() < 5) {
                const bool withParent = pick(3) != 0;
                IPlugin* plugin = host.Start(create_, withParent, withParent && pick(2) == 0);
                instances.push_back({plugin, &host, true});
            } else if (op == 2) {
                host.MovieCall(pick(2) ? "Lumarin_GetPetInfo" : "Lumarin_GetPetInfoList",
                               "11,22");
            } else if (op == 3) {
                host.AnswerAll();
            } else if (op == 4 && !host.protocols.empty()) {
                host.protocols[pick(host.protocols.size())]->Fail();
            } else if (op == 5 && !instances.empty()) {
                ILumarin* service = Service(instances[pick(instances.size())].plugin);
                pick(2) ? service->AddListener(&listener) : service->RemoveListener(&listener);
            } else if (op == 6 && !instances.empty()) {
                stop(instances[pick(instances.size())].plugin, pick(2) == 0);
            } else if (op == 7 && !instances.empty()) {
                // At the host's next call, an instance is stopped (and perhaps destroyed)
                // from inside it.
                IPlugin* plugin = instances[pick(instances.size())].plugin;
                const bool destroy = pick(2) == 0;
                host.onCall = [&, plugin, destroy, at = &host](const std::string&) {
                    at->onCall = nullptr;
                    stop(plugin, destroy);
                };
            }
            for (auto& each : hosts)
                each->retired = each->retired || (!each->protocols.empty() && !uses(each.get()));
        }
        while (!instances.empty())
            stop(instances.front().plugin, true);
        for (auto& host : hosts) {
            EXPECT_EQ(0, host->callsWhileRetired);
            EXPECT_TRUE(host->flashMethods.empty() && host->pageMethods.empty());
            EXPECT_TRUE(host->registeredPlugins.empty());
        }
    }
}
